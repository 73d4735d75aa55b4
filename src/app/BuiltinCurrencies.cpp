#include "BuiltinCurrencies.h"

namespace quotaly {

const QList<QPair<QString, QString>> &builtinCurrencies()
{
    static const QList<QPair<QString, QString>> list = {
        {QStringLiteral("AED"), QStringLiteral("U.A.E. dirhams")},
        {QStringLiteral("ARS"), QStringLiteral("Argentine pesos")},
        {QStringLiteral("AUD"), QStringLiteral("Australian dollars")},
        {QStringLiteral("BDT"), QStringLiteral("Bangladesh taka")},
        {QStringLiteral("BHD"), QStringLiteral("Bahrain dinars")},
        {QStringLiteral("BND"), QStringLiteral("Brunei dollar")},
        {QStringLiteral("BRL"), QStringLiteral("Brazilian reais")},
        {QStringLiteral("BWP"), QStringLiteral("Botswana pula")},
        {QStringLiteral("CAD"), QStringLiteral("Canadian dollars")},
        {QStringLiteral("CHF"), QStringLiteral("Swiss francs")},
        {QStringLiteral("CLP"), QStringLiteral("Chilean pesos")},
        {QStringLiteral("CNY"), QStringLiteral("Chinese yuan")},
        {QStringLiteral("COP"), QStringLiteral("Colombian pesos")},
        {QStringLiteral("CYP"), QStringLiteral("Cyprus pounds")},
        {QStringLiteral("CZK"), QStringLiteral("Czech koruny")},
        {QStringLiteral("DKK"), QStringLiteral("Danish kroner")},
        {QStringLiteral("EUR"), QStringLiteral("Euro")},
        {QStringLiteral("GBP"), QStringLiteral("Pounds sterling")},
        {QStringLiteral("HUF"), QStringLiteral("Hungarian forint")},
        {QStringLiteral("IDR"), QStringLiteral("Indonesian rupiah")},
        {QStringLiteral("ILS"), QStringLiteral("Israel shekels")},
        {QStringLiteral("INR"), QStringLiteral("Indian rupees")},
        {QStringLiteral("IQD"), QStringLiteral("Iraqi dinars")},
        {QStringLiteral("IRR"), QStringLiteral("Iranian rials")},
        {QStringLiteral("ISK"), QStringLiteral("Icelandic kronur")},
        {QStringLiteral("JPY"), QStringLiteral("Japanese yen")},
        {QStringLiteral("KRW"), QStringLiteral("Korean won")},
        {QStringLiteral("KWD"), QStringLiteral("Kuwaiti dinars")},
        {QStringLiteral("LKR"), QStringLiteral("Sri Lanka rupees")},
        {QStringLiteral("LYD"), QStringLiteral("Libyan dinars")},
        {QStringLiteral("MTL"), QStringLiteral("Maltese liri")},
        {QStringLiteral("MYR"), QStringLiteral("Malaysian ringgit")},
        {QStringLiteral("NOK"), QStringLiteral("Norwegian kroner")},
        {QStringLiteral("NPR"), QStringLiteral("Nepalese rupees")},
        {QStringLiteral("NZD"), QStringLiteral("New Zealand dollars")},
        {QStringLiteral("OMR"), QStringLiteral("Omani rials")},
        {QStringLiteral("PKR"), QStringLiteral("Pakistan rupees")},
        {QStringLiteral("PLN"), QStringLiteral("Polish zlotys")},
        {QStringLiteral("QAR"), QStringLiteral("Qatar riyals")},
        {QStringLiteral("SAR"), QStringLiteral("Saudi Arabian riyals")},
        {QStringLiteral("SEK"), QStringLiteral("Swedish kronor")},
        {QStringLiteral("SGD"), QStringLiteral("Singapore dollars")},
        {QStringLiteral("SIT"), QStringLiteral("Slovenian tolars")},
        {QStringLiteral("THB"), QStringLiteral("Thai baht")},
        {QStringLiteral("TTD"), QStringLiteral("Trinidad & Tobago dollars")},
        {QStringLiteral("USD"), QStringLiteral("U. S. dollars")},
        {QStringLiteral("VEB"), QStringLiteral("Venezuelan bolivares")},
        {QStringLiteral("ZAR"), QStringLiteral("South African rand")},
        {QStringLiteral("MXN"), QStringLiteral("Mexico Pesos")},
    };
    return list;
}

} // namespace quotaly
