#pragma once

#include <memory>

#include <QDialog>

class QComboBox;

namespace Ui {
class TfExportReport;
}

namespace quotaly {

/// Asks whether the report goes into a new file or below the contents of an existing one.
class TfExportReport : public QDialog
{
    Q_OBJECT

public:
    explicit TfExportReport(QWidget *parent = nullptr);
    ~TfExportReport() override;

    /// True when "Create new file" is chosen.
    bool newFile() const;
    /// The interface languages, showing the current one; informative only.
    QComboBox *cbLang() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    const std::unique_ptr<Ui::TfExportReport> m_ui;
};

} // namespace quotaly
