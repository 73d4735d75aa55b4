#pragma once

#include <QComboBox>

namespace quotaly {
class Dataset;
} // namespace quotaly

namespace quotaly::ui {

class DataLink;

/// A drop-down list of fixed items bound to a text field. It shows the item equal to the field's value (no
/// item when the value is not among them); a choice by the user puts the dataset into Edit and stores the
/// item's text. The dataset's owner posts. Selecting an item from code only changes what is shown.
class DbComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit DbComboBox(QWidget *parent = nullptr);

    void setBinding(Dataset *dataset, const QString &fieldName);
    Dataset *dataset() const;
    QString fieldName() const;

private:
    void refresh();
    void onActivated(int index);

    DataLink *m_link;
};

} // namespace quotaly::ui
