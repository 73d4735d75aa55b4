#pragma once

#include "dataset/Dataset.h"

#include <functional>

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <vector>

namespace quotaly {

/// The data module: owns every dataset of the program for the whole run, loads them from the data folder
/// at start and writes them back at exit.
class TDM : public QObject
{
    Q_OBJECT

public:
    /// Creates the datasets and assigns their file names (`dataDir` + name + ".xml"); reads nothing yet.
    /// `Currency` is open with the built-in currencies from the start.
    explicit TDM(const QString &dataDir, QObject *parent = nullptr);
    /// Writes every open dataset back to its file, unless saveOnExit was cleared.
    ~TDM() override;

    /// Cleared by tools that only read the data folder.
    bool saveOnExit = true;

    Dataset *Personal;
    Dataset *Clients;
    Dataset *dxImportData;
    Dataset *Currency;
    Dataset *MatchesByClient;
    Dataset *tmpMatches;
    Dataset *OptionsByClient;

    /// Persistent datasets in the order they are loaded and saved.
    QList<Dataset *> persistentDataSets() const;

    /// Loads every persistent dataset from its file; a failure is reported and the next one is loaded.
    void LoadDataSets();
    /// Told before each file LoadDataSets reads: the file and the bytes of the files read before it.
    std::function<void(const QString &fileName, qint64 bytesDone)> loading;
    /// Folds the changes of every persistent dataset and writes it to its file; a failure is reported and
    /// the next one is saved. A file that existed but could not be read is moved aside first.
    void SaveDataSets();

    /// Receives each failure text of LoadDataSets and SaveDataSets (the windows show it in a message box).
    std::function<void(const QString &)> report;

    void ClientsBeforePost(Dataset &clients);
    void ClientsAfterPost(Dataset &clients);
    void ClientsPostError(Dataset &clients);

    /// Suffix of a copy kept of a file that could not be read before it is overwritten.
    static QString unreadableSuffix() { return QStringLiteral(".unreadable"); }

private:
    void DataModuleCreate(const QString &dataDir);
    void defineSchemas();
    void defineDefaults();
    void fillBuiltinCurrencies();
    void keepUnreadableOriginal(Dataset *dataset);
    void tell(const QString &text) const;

    /// A new client's default values of one detail dataset, with the field indices looked up once per field list.
    struct DefaultValues
    {
        QList<QPair<QString, QVariant>> values; ///< field name and value, in the order they are set
        std::vector<int> fields;                ///< index of each name, -1 when the dataset lacks it
        RowValues row; ///< a row holding every value as its field stores it, when each field is there and takes it
        bool rowReady = false;
        quint64 fieldsVersion = ~quint64(0);
    };
    static void setDefaults(Dataset &detail, DefaultValues &defaults);

    QList<Dataset *> m_unreadable; // loaded from a file that exists but could not be read
    DefaultValues m_matchDefaults;
    DefaultValues m_optionDefaults;
    bool m_defaultsPending = false;
    QList<Dataset *> m_defaultRowsAdded;
};

} // namespace quotaly
