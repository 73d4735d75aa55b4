#pragma once

#include <memory>

#include <QChar>
#include <QDialog>

class QHeaderView;

namespace Ui {
class TfImport;
}

namespace quotaly {
class TDM;

/// Reads clients from a delimited text file into the import table, lets the user drag the file's columns under
/// the right client fields, and appends every row to the client list as a new client.
class TfImport : public QDialog
{
    Q_OBJECT

public:
    explicit TfImport(TDM *dm, QWidget *parent = nullptr);
    ~TfImport() override;

    QHeaderView *headerControl() const;
    /// The delimiter the last load split the lines at.
    QChar delimiter() const { return m_delimiter; }

    void bLoadFileClick();
    void cbUDDClick();
    /// Loads the file named in the file edit into the import table; does nothing while that edit is empty.
    void LoadImportFile();
    void AlignHeaderToColumns();
    void HeaderControl1SectionResize(int section, int oldSize, int newSize);
    void DBGridEh1ColEnter(int column);
    void bPrevClick();
    void dxImportDataAfterOpen();
    void dxImportDataAfterClose();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void fitScrollContents();
    void followImportData();
    QList<int> columnsInDisplayOrder() const;

    const std::unique_ptr<Ui::TfImport> m_ui;
    TDM *m_dm;
    QChar m_delimiter;
    bool m_aligning = false;
};

} // namespace quotaly
