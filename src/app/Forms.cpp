#include "Forms.h"

#include "TDM.h"
#include "TfNewClient.h"
#include "TfQuotaly.h"
#include "ui/DbLookupComboBox.h"
#include "ui/Dialogs.h"

namespace quotaly {

std::unique_ptr<Forms> Forms::create(const QString &dataDir)
{
    auto forms = std::make_unique<Forms>();
    forms->fQuotaly = std::make_unique<TfQuotaly>(dataDir);
    forms->DM = std::make_unique<TDM>(dataDir);
    forms->fNewClient = std::make_unique<TfNewClient>(forms->DM->Clients, forms->fQuotaly.get());

    TfQuotaly *main = forms->fQuotaly.get();
    TfNewClient *newClient = forms->fNewClient.get();
    Forms *self = forms.get();
    forms->DM->report = [self](const QString &text) {
        ui::dialogs().message(self->fQuotaly ? self->fQuotaly.get() : nullptr, text);
    };
    main->bindData(forms->DM.get());
    main->showNewClientForm = [newClient] { newClient->exec(); };
    newClient->setClientSelector = [main](const QString &name) { main->lcClient()->setText(name); };
    return forms;
}

Forms::~Forms()
{
    fNewClient.reset();
    fQuotaly.reset();
    DM.reset();
}

} // namespace quotaly
