#include "TDM.h"

#include "BuiltinCurrencies.h"
#include "dataset/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quotaly {

namespace {

QList<FieldDef> clientsFields()
{
    return {FieldDef::text(QStringLiteral("FULLNAME"), 60, true), FieldDef::text(QStringLiteral("VATNo"), 30),
            FieldDef::text(QStringLiteral("AddressLine1"), 50),   FieldDef::text(QStringLiteral("AddressLine2"), 50),
            FieldDef::text(QStringLiteral("AddressLine3"), 50),   FieldDef::text(QStringLiteral("Tel"), 30),
            FieldDef::text(QStringLiteral("Fax"), 30),            FieldDef::text(QStringLiteral("EMail"), 70),
            FieldDef::text(QStringLiteral("www"), 70),            FieldDef::text(QStringLiteral("Additional1"), 100),
            FieldDef::text(QStringLiteral("Additional2"), 100)};
}

QList<FieldDef> importFields()
{
    QList<FieldDef> fields;
    for (const char *name : {"FullName", "VATNo", "AddressLine1", "AddressLine2", "AddressLine3", "Tel", "Fax", "EMail",
                             "url", "Additional1", "Additional2"})
        fields << FieldDef::text(QString::fromLatin1(name), 100);
    return fields;
}

QList<FieldDef> currencyFields()
{
    return {FieldDef::text(QStringLiteral("VCode"), 3), FieldDef::text(QStringLiteral("VTitle"), 35)};
}

QList<FieldDef> matchesFields()
{
    QList<FieldDef> f{FieldDef::text(QStringLiteral("FullName"), 60), FieldDef::boolean(QStringLiteral("bMatchTypeWords")),
                      FieldDef::boolean(QStringLiteral("bMatchTypePercent")), FieldDef::text(QStringLiteral("sName2"), 25)};
    for (int i = 3; i <= 11; ++i)
        f << FieldDef::integer(QStringLiteral("iName%1").arg(i));
    f << FieldDef::text(QStringLiteral("sName12"), 25);
    for (int i = 2; i <= 8; ++i)
        f << FieldDef::integer(QStringLiteral("iWord%1").arg(i));
    for (int i = 2; i <= 8; ++i)
        f << FieldDef::floating(QStringLiteral("iPercent%1").arg(i));
    for (int i = 2; i <= 8; ++i)
        f << (i == 6 ? FieldDef::integer(QStringLiteral("fDiscount6")) : FieldDef::floating(QStringLiteral("fDiscount%1").arg(i)));
    return f;
}

QList<FieldDef> optionsFields()
{
    return {FieldDef::text(QStringLiteral("FullName"), 60), FieldDef::text(QStringLiteral("Units"), 25),
            FieldDef::floating(QStringLiteral("BaseRate")), FieldDef::text(QStringLiteral("Currency"), 3)};
}

QList<FieldDef> tmpMatchesFields()
{
    return {FieldDef::text(QStringLiteral("MatchTypes"), 25), FieldDef::floating(QStringLiteral("MatchValue")),
            FieldDef::floating(QStringLiteral("Discount")),   FieldDef::floating(QStringLiteral("Units")),
            FieldDef::floating(QStringLiteral("Rate")),       FieldDef::text(QStringLiteral("Currency"), 3),
            FieldDef::floating(QStringLiteral("Amount"))};
}

} // namespace

TDM::TDM(const QString &dataDir, QObject *parent)
    : QObject(parent), Personal(new Dataset(QStringLiteral("Personal"), this)),
      Clients(new Dataset(QStringLiteral("Clients"), this)),
      dxImportData(new Dataset(QStringLiteral("dxImportData"), this)),
      Currency(new Dataset(QStringLiteral("Currency"), this)),
      MatchesByClient(new Dataset(QStringLiteral("MatchesByClient"), this)),
      tmpMatches(new Dataset(QStringLiteral("tmpMatches"), this)),
      OptionsByClient(new Dataset(QStringLiteral("OptionsByClient"), this))
{
    setObjectName(QStringLiteral("DM"));
    defineDefaults();
    defineSchemas();
    DataModuleCreate(dataDir);
}

TDM::~TDM()
{
    if (saveOnExit)
        SaveDataSets();
}

QList<Dataset *> TDM::persistentDataSets() const
{
    return {Personal, Clients, Currency, MatchesByClient, tmpMatches, OptionsByClient};
}

void TDM::defineDefaults()
{
    // The match settings and options every new client starts with.
    auto &matches = m_matchDefaults.values;
    matches = {{QStringLiteral("bMatchTypeWords"), true},
               {QStringLiteral("bMatchTypePercent"), false},
               {QStringLiteral("sName2"), QStringLiteral("Repetitions")}};
    const int bounds[] = {100, 95, 99, 85, 94, 75, 84, 50, 74};
    for (int i = 0; i < 9; ++i)
        matches.append({QStringLiteral("iName%1").arg(i + 3), bounds[i]});
    matches.append({QStringLiteral("sName12"), QStringLiteral("No matches")});
    const int prices[] = {80, 80, 80, 90, 90, 90, 100};
    for (int i = 0; i < 7; ++i)
        matches.append({QStringLiteral("fDiscount%1").arg(i + 2), prices[i]});
    m_optionDefaults.values = {{QStringLiteral("Currency"), QStringLiteral("USD")},
                               {QStringLiteral("Units"), QStringLiteral("Words")},
                               {QStringLiteral("BaseRate"), 0.1}};
}

void TDM::defineSchemas()
{
    // Personal takes its columns from its file.
    Clients->setFields(clientsFields());
    Clients->setFieldRequired(QStringLiteral("FULLNAME"), true);
    dxImportData->setFields(importFields());
    Currency->setFields(currencyFields());
    MatchesByClient->setFields(matchesFields());
    OptionsByClient->setFields(optionsFields());
    tmpMatches->setFields(tmpMatchesFields());

    tmpMatches->setFieldDisplay(QStringLiteral("MatchTypes"), QStringLiteral("Match types"), 25);
    tmpMatches->setFieldDisplay(QStringLiteral("MatchValue"), QStringLiteral("Match value"), 12, QStringLiteral("0.00 %"));
    tmpMatches->setFieldDisplay(QStringLiteral("Discount"), QStringLiteral("Discount (% of base rate)"), 9,
                                QStringLiteral("0.00 %"));
    tmpMatches->setFieldDisplay(QStringLiteral("Units"), QStringLiteral("Units"), 10, QStringLiteral("0.00"));
    tmpMatches->setFieldDisplay(QStringLiteral("Rate"), QStringLiteral("Rate"), 10, QStringLiteral("0.00"));
    tmpMatches->setFieldDisplay(QStringLiteral("Currency"), QStringLiteral("Currency"), 3);
    tmpMatches->setFieldDisplay(QStringLiteral("Amount"), QStringLiteral("Amount"), 10, QStringLiteral("0.00"));

    MatchesByClient->setMasterSource(Clients, QStringLiteral("FULLNAME"), QStringLiteral("FullName"));
    OptionsByClient->setMasterSource(Clients, QStringLiteral("FULLNAME"), QStringLiteral("FullName"));

    Clients->beforePost = [this](Dataset &d) { ClientsBeforePost(d); };
    Clients->afterPost = [this](Dataset &d) { ClientsAfterPost(d); };
    Clients->postError = [this](Dataset &d) { ClientsPostError(d); };
}

void TDM::DataModuleCreate(const QString &dataDir)
{
    for (Dataset *d : persistentDataSets())
        d->setFileName(dataDir + d->name() + QStringLiteral(".xml"));
    fillBuiltinCurrencies();
}

void TDM::fillBuiltinCurrencies()
{
    Currency->createDataSet();
    for (const auto &[code, title] : builtinCurrencies())
        Currency->appendRecord({code, title});
    Currency->mergeChangeLog();
    Currency->first();
}

void TDM::tell(const QString &text) const
{
    if (report)
        report(text);
}

void TDM::LoadDataSets()
{
    qint64 bytesDone = 0;
    for (Dataset *d : persistentDataSets()) {
        if (loading) {
            loading(d->fileName(), bytesDone);
            bytesDone += QFileInfo(d->fileName()).size();
        }
        try {
            d->loadFromFile();
        } catch (const Error &e) {
            QString text = e.text();
            if (QFileInfo::exists(d->fileName())) {
                m_unreadable << d;
                if (d->isActive())
                    text += QStringLiteral("\r\nThe file is kept as it is; it will be renamed to %1 before "
                                           "the list is saved again.")
                                .arg(QFileInfo(d->fileName()).fileName() + unreadableSuffix());
            }
            tell(text);
        }
    }
}

void TDM::keepUnreadableOriginal(Dataset *dataset)
{
    const QString path = dataset->fileName();
    if (!QFileInfo::exists(path))
        return;
    QString aside = path + unreadableSuffix();
    for (int n = 1; QFileInfo::exists(aside); ++n)
        aside = path + unreadableSuffix() + QStringLiteral(".%1").arg(n);
    if (!QFile::rename(path, aside))
        throw Error(QStringLiteral("Cannot move the unreadable file %1 aside; it was not overwritten.")
                        .arg(QDir::toNativeSeparators(path)));
}

void TDM::SaveDataSets()
{
    // Made ready one by one, then written side by side; the messages come in the order of the datasets.
    const QList<Dataset *> all = persistentDataSets();
    QList<Dataset *> ready;
    QHash<Dataset *, QString> problems;
    for (Dataset *d : all) {
        try {
            if (!d->isActive())
                throw Error(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(d->name()));
            d->checkBrowseMode();
            d->mergeChangeLog();
            if (m_unreadable.contains(d)) {
                keepUnreadableOriginal(d);
                m_unreadable.removeAll(d);
            }
            ready << d;
        } catch (const Error &e) {
            problems.insert(d, e.text());
        }
    }
    for (const auto &[d, error] : Dataset::saveToFiles(ready))
        problems.insert(d, error.text());
    for (Dataset *d : all) {
        if (problems.contains(d))
            tell(problems.value(d));
    }
}

void TDM::ClientsBeforePost(Dataset &clients)
{
    if (clients.state() != DatasetState::Insert)
        return;
    MatchesByClient->disableControls();
    OptionsByClient->disableControls();
    m_defaultsPending = true;
    m_defaultRowsAdded.clear();
    try {
        MatchesByClient->append();
        setDefaults(*MatchesByClient, m_matchDefaults);
        MatchesByClient->post();
        m_defaultRowsAdded << MatchesByClient;

        OptionsByClient->append();
        setDefaults(*OptionsByClient, m_optionDefaults);
        OptionsByClient->post();
        m_defaultRowsAdded << OptionsByClient;
    } catch (...) {
        ClientsPostError(clients);
        throw;
    }
}

void TDM::setDefaults(Dataset &detail, DefaultValues &defaults)
{
    if (defaults.fieldsVersion != detail.fieldsVersion()) {
        // Worked out once for every new client: the fields and the values as they store them.
        defaults.fields.clear();
        defaults.row = RowValues(detail.fieldCount());
        defaults.rowReady = true;
        for (const auto &[name, value] : std::as_const(defaults.values)) {
            const int field = detail.fieldIndex(name);
            defaults.fields.push_back(field);
            try {
                if (field < 0 || !defaults.row.at(field).isNull())
                    defaults.rowReady = false; // a missing field, or one named twice: set one by one below
                else
                    defaults.row[field] = detail.storedValue(field, value);
            } catch (const Error &) {
                defaults.rowReady = false;
            }
        }
        defaults.fieldsVersion = detail.fieldsVersion();
    }
    if (defaults.rowReady) {
        detail.setStoredValues(defaults.row);
        return;
    }
    for (qsizetype i = 0; i < defaults.values.size(); ++i) {
        const int field = defaults.fields[std::size_t(i)];
        // A missing field or a refused value fails with the dataset's own error, at the point it always has.
        detail.setValue(field >= 0 ? field : detail.requireField(defaults.values.at(i).first),
                        defaults.values.at(i).second);
    }
}

void TDM::ClientsAfterPost(Dataset &)
{
    if (!m_defaultsPending)
        return;
    m_defaultsPending = false;
    MatchesByClient->enableControls();
    OptionsByClient->enableControls();
}

void TDM::ClientsPostError(Dataset &)
{
    if (!m_defaultsPending)
        return;
    m_defaultsPending = false;
    // The client row was refused: take back the default rows made for it. Each detail still has the row it
    // just posted as its current row.
    for (Dataset *detail : {MatchesByClient, OptionsByClient}) {
        detail->cancel();
        if (m_defaultRowsAdded.contains(detail))
            detail->deleteRecord();
        detail->enableControls();
    }
    m_defaultRowsAdded.clear();
}

} // namespace quotaly
