#pragma once

#include <QCheckBox>

namespace quotaly {
class Dataset;
} // namespace quotaly

namespace quotaly::ui {

class DataLink;

/// A check box showing a boolean field of the current row (null shows unchecked). A click by the user puts
/// the dataset into Edit and sets the field; the dataset's owner posts. clicked() means the user.
class DbCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit DbCheckBox(QWidget *parent = nullptr);
    explicit DbCheckBox(const QString &text, QWidget *parent = nullptr);

    void setBinding(Dataset *dataset, const QString &fieldName);
    Dataset *dataset() const;
    QString fieldName() const;

private:
    void refresh();
    void onClicked(bool checked);

    DataLink *m_link;
};

} // namespace quotaly::ui
