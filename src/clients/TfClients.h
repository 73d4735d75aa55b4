#pragma once

#include "ui/FormStorage.h"

#include <functional>
#include <memory>

#include <QDialog>

namespace Ui {
class TfClients;
}

namespace quotaly {
class Dataset;
class TDM;

namespace ui {
class DataGrid;
}

/// The client list: every client in a sortable, filterable grid, with the client form for one client, deletion,
/// import, export, the duplicate check and an explicit save on Close.
class TfClients : public QDialog
{
    Q_OBJECT

public:
    explicit TfClients(TDM *dm, QWidget *parent = nullptr);
    ~TfClients() override;

    /// Shows the client form for the current row of Clients, which is in insert or edit state.
    std::function<void()> showClientForm;

    ui::DataGrid *grid() const;
    /// The export dialog's filter, after the list separator was put in.
    const QString &exportFilter() const { return m_exportFilter; }

    void btnNewClick();
    void btnEditClick();
    void tnDeleteClick();
    void btnClearAllClick();
    void tnImportClick();
    void btnExportClick();
    void btnCheckDuplClick();
    void btnCloseClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void FormCreate();
    bool FormKeyDown(QKeyEvent *event);
    bool dxDBGrid1KeyDown(QKeyEvent *event);
    /// Puts Clients into insert or edit state and shows the client form.
    void openClientForm(void (Dataset::*start)());
    void deleteSelectedRows();
    void applyInitialSort();

    const std::unique_ptr<Ui::TfClients> m_ui;
    TDM *m_dm;
    QString m_exportFilter;
    QString m_exportFileName; ///< the name last exported to, offered again
    int m_exportFilterIndex = 0;
    ui::PlacementStore m_placement;
    bool m_placed = false;
};

} // namespace quotaly
