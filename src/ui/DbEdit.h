#pragma once

#include <QLineEdit>

namespace quotaly {
class Dataset;
} // namespace quotaly

namespace quotaly::ui {

class DataLink;

/// A line edit that shows and edits one field of the current row. Typing starts an edit of the dataset (a
/// new row when it is empty); the typed text goes into the field when editing finishes (focus out, Return)
/// or when the dataset posts, so the display is never reformatted under the cursor.
class DbEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit DbEdit(QWidget *parent = nullptr);

    void setBinding(Dataset *dataset, const QString &fieldName);
    Dataset *dataset() const;
    QString fieldName() const;

    /// Writes the typed text into the field now. True when there was nothing to write or it was stored. False
    /// when a number field gets text that is not a number (a message says so, the field keeps its value and the
    /// edit shows it again) or when the dataset refuses the value (its message is shown, the text is kept).
    bool commit();
    /// True while the edit holds typed text that is not in the field yet.
    bool isDirty() const { return m_dirty; }

signals:
    void doubleClicked();

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void refresh(bool rowMoved);
    void showValue();
    void configureForField();
    void onTextEdited();
    void onUpdatingRecord();
    QVariant typedValue() const;

    DataLink *m_link;
    bool m_dirty = false;
    bool m_keepAfterPost = false; // a refused text outlives the post that tried to store it
    bool m_committing = false;
};

} // namespace quotaly::ui
