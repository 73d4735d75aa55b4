#include "common/ScriptedDialogs.h"
#include "dataset/Dataset.h"
#include "ui/DbCheckBox.h"
#include "ui/DbComboBox.h"
#include "ui/DbEdit.h"
#include "ui/DbLookupComboBox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace quotaly;
using namespace quotaly::ui;

namespace {

// Clients with their options as a detail, and the currencies, as the main window binds them.
struct Data
{
    Dataset clients{u"Clients"_s};
    Dataset options{u"OptionsByClient"_s};
    Dataset currency{u"Currency"_s};

    Data()
    {
        clients.setFields({FieldDef::text(u"FULLNAME"_s, 60, true)});
        clients.createDataSet();
        for (const QString &name : {u"Zeta Ltd"_s, u"alpha GmbH"_s, u"Mike"_s})
            clients.appendRecord({name});
        options.setFields({FieldDef::text(u"FullName"_s, 60), FieldDef::text(u"Currency"_s, 3),
                           FieldDef::floating(u"BaseRate"_s), FieldDef::integer(u"iWord2"_s),
                           FieldDef::text(u"Units"_s, 5), FieldDef::boolean(u"bWords"_s)});
        options.createDataSet();
        options.appendRecord({u"Zeta Ltd"_s, u"EUR"_s, 0.1, 10, u"Words"_s, true});
        options.appendRecord({u"alpha GmbH"_s, u"USD"_s, 12.0, 20, u"Pages"_s});
        options.appendRecord({u"Mike"_s, {}, 0.125, {}, {}, false});
        options.setMasterSource(&clients, u"FULLNAME"_s, u"FullName"_s);
        currency.setFields({FieldDef::text(u"VCode"_s, 3), FieldDef::text(u"VTitle"_s, 40)});
        currency.createDataSet();
        currency.appendRecord({u"USD"_s, u"US dollar"_s});
        currency.appendRecord({u"EUR"_s, u"Euro"_s});
        currency.appendRecord({u"CHF"_s, u"Swiss franc"_s});
        currency.first();
        clients.first();
    }
    QVariant option(const QString &field) const { return options.value(field); }
};

// An edit with the focus in an active window, and a second widget to move the focus to.
struct Window
{
    QWidget widget;
    DbEdit *edit = new DbEdit;
    QLineEdit *other = new QLineEdit;

    Window(Dataset *dataset, const QString &field)
    {
        edit->setBinding(dataset, field);
        auto *layout = new QVBoxLayout(&widget);
        layout->addWidget(edit);
        layout->addWidget(other);
        widget.show();
        widget.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&widget));
        edit->setFocus();
    }
};

QStringList itemTexts(const QComboBox &box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

} // namespace

class TestDataAwareWidgets : public QObject
{
    Q_OBJECT

private slots:
    // Lists sort the way the user's language does ("C" would put every capital first).
    void init() { QLocale::setDefault(QLocale(u"en_US"_s)); }

    void editFollowsRows_data();
    void editFollowsRows();
    void typedTextIsStored_data();
    void typedTextIsStored();
    void typedTextReachesPost();
    void refusedTextIsKept();
    void typingIntoEmptyDetailAddsRow();
    void checkBoxAndComboBox();
    void lookupStoresKey();
    void lookupLocatesRow();
    void lookupSortedWhenFirstShown();
    void lookupFollowsListChanges();
    void lookupReportsCloseAfterChoice();
};

void TestDataAwareWidgets::editFollowsRows_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("rates"); // BaseRate of the three clients in dataset order

    QTest::newRow("point") << "en_US" << QStringList{"0.1", "12", "0.125"};
    QTest::newRow("comma") << "de_DE" << QStringList{"0,1", "12", "0,125"};
}

void TestDataAwareWidgets::editFollowsRows()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, rates);
    QLocale::setDefault(QLocale(locale));
    Data d;
    DbEdit rate, words, name;
    rate.setBinding(&d.options, u"baserate"_s); // names are matched without regard to case
    words.setBinding(&d.options, u"iWord2"_s);
    name.setBinding(&d.clients, u"FULLNAME"_s);

    QCOMPARE(rate.text() + u'|' + words.text(), rates.at(0) + u"|10"_s);
    d.clients.next(); // the detail follows its master
    QCOMPARE(name.text(), u"alpha GmbH"_s);
    QCOMPARE(rate.text() + u'|' + words.text(), rates.at(1) + u"|20"_s);
    d.clients.next();
    QCOMPARE(rate.text() + u'|' + words.text(), rates.at(2) + u'|'); // null is empty
    QCOMPARE(name.maxLength(), 60);

    d.options.close();
    QCOMPARE(rate.text(), QString());
    QVERIFY(rate.isReadOnly());
}

void TestDataAwareWidgets::typedTextIsStored_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("refused"); // said in a message; the field and the edit keep the previous value
    const auto row = [](const char *name, const char *locale, const char *field, const char *typed, const char *shown,
                        const QVariant &stored, bool refused = false) {
        QTest::newRow(name) << QString::fromLatin1(locale) << QString::fromLatin1(field) << QString::fromLatin1(typed)
                            << QString::fromLatin1(shown) << stored << refused;
    };
    row("integer refuses a decimal point", "en_US", "iWord2", "90.5", "90.5", qint64(10), true);
    row("integer refuses letters", "en_US", "iWord2", "-4x2", "-4x2", qint64(10), true);
    row("float with point", "en_US", "BaseRate", "90.5", "90.5", 90.5);
    row("float, comma locale", "de_DE", "BaseRate", "90,5", "90,5", 90.5);
    row("point under comma locale", "de_DE", "BaseRate", "90.5", "90.5", 90.5);
    row("two decimal points", "en_US", "BaseRate", "1.2.3", "1.2.3", 0.1, true);
    row("group separator", "en_US", "BaseRate", "0,12", "0,12", 0.1, true);
    row("text cut to width", "en_US", "Units", "Characters", "Chara", u"Chara"_s);
    row("empty writes null", "en_US", "Units", "", "", QVariant());
}

void TestDataAwareWidgets::typedTextIsStored()
{
    QFETCH(QString, locale);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QVariant, stored);
    QFETCH(bool, refused);
    QLocale::setDefault(QLocale(locale));
    test::ScriptedDialogs dialogs;
    Data d;
    Window w(&d.options, field);
    const QString before = w.edit->text();
    w.edit->selectAll();
    QTest::keyClick(w.edit, Qt::Key_Delete);
    QTest::keyClicks(w.edit, typed);
    QCOMPARE(w.edit->text(), shown);
    QCOMPARE(d.options.state(), DatasetState::Edit);

    w.other->setFocus(); // leaving the edit writes the text

    QCOMPARE(d.option(field), stored);
    QCOMPARE(d.option(field).isNull(), stored.isNull());
    QCOMPARE(dialogs.messages.size(), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(w.edit->text(), before);
        QVERIFY2(dialogs.messages.first().startsWith(u'"' + typed + u"\" is not a"_s), qPrintable(dialogs.messages.first()));
    }
}

void TestDataAwareWidgets::typedTextReachesPost()
{
    Data d;
    Window w(&d.options, u"BaseRate"_s);
    w.edit->selectAll();
    QTest::keyClicks(w.edit, u"77.25"_s);
    QCOMPARE(d.option(u"BaseRate"_s), QVariant(0.1)); // not written per keystroke

    d.options.post(); // the focus never left the edit

    QCOMPARE(d.options.state(), DatasetState::Browse);
    QCOMPARE(d.option(u"BaseRate"_s), QVariant(77.25));
}

void TestDataAwareWidgets::refusedTextIsKept()
{
    // A number that does not read is refused when the row is posted too, and the rest of the row is stored.
    test::ScriptedDialogs dialogs;
    Data d;
    Window w(&d.options, u"BaseRate"_s);
    w.edit->selectAll();
    QTest::keyClicks(w.edit, u"-"_s);

    d.options.post(); // the focus never left the edit

    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messageKinds.value(0), Dialogs::Kind::Warning);
    QCOMPARE(d.options.state(), DatasetState::Browse);
    QCOMPARE(w.edit->text(), u"0.1"_s);
    QCOMPARE(d.option(u"BaseRate"_s), QVariant(0.1));
}

void TestDataAwareWidgets::typingIntoEmptyDetailAddsRow()
{
    Data d;
    d.clients.appendRecord({u"New client"_s}); // no options yet
    Window w(&d.options, u"BaseRate"_s);
    QVERIFY(!w.edit->isReadOnly());

    QTest::keyClicks(w.edit, u"5"_s);
    QCOMPARE(d.options.state(), DatasetState::Insert);
    QCOMPARE(w.edit->text(), u"5"_s);
    d.options.post();

    QCOMPARE(d.options.recordCount(), 1);
    QCOMPARE(d.option(u"FullName"_s), QVariant(u"New client"_s));
    QCOMPARE(d.option(u"BaseRate"_s), QVariant(5.0));
}

void TestDataAwareWidgets::checkBoxAndComboBox()
{
    Data d;
    DbCheckBox check;
    check.setBinding(&d.options, u"bWords"_s);
    DbComboBox units;
    units.setBinding(&d.options, u"Units"_s);
    units.addItems({"Lines", "Pages", "Words"}); // items added after the binding do not select the first
    QVERIFY(check.isChecked());
    QCOMPARE(units.currentText(), u"Words"_s);
    d.clients.next();
    QVERIFY(!check.isChecked()); // null
    QCOMPARE(units.currentText(), u"Pages"_s);
    d.clients.next();
    QCOMPARE(units.currentIndex(), -1); // null is not among the items

    QTest::keyClick(&check, Qt::Key_Space);
    QTest::keyClick(&units, Qt::Key_End);

    QCOMPARE(d.options.state(), DatasetState::Edit);
    QCOMPARE(d.option(u"bWords"_s), QVariant(true));
    QCOMPARE(d.option(u"Units"_s), QVariant(u"Words"_s));
    d.options.cancel();
    QVERIFY(!check.isChecked());
    QCOMPARE(units.currentIndex(), -1);
}

void TestDataAwareWidgets::lookupStoresKey()
{
    Data d;
    DbLookupComboBox box;
    box.setListSource(&d.currency, u"VCode"_s, {u"VCode"_s, u"VTitle"_s});
    box.setBinding(&d.options, u"Currency"_s);
    QCOMPARE(itemTexts(box), (QStringList{"CHF", "EUR", "USD"}));
    QCOMPARE(box.text(), u"EUR"_s);
    d.clients.next();
    QCOMPARE(box.text(), u"USD"_s);
    d.clients.next();
    QCOMPARE(box.currentIndex(), -1);
    QSignalSpy changed(&box, &DbLookupComboBox::changed);

    QTest::keyClick(&box, Qt::Key_Home);

    QCOMPARE(d.option(u"Currency"_s), QVariant(u"CHF"_s));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(d.currency.value(u"VCode"_s), QVariant(u"USD"_s)); // the list itself does not move

    box.setDropDownWidth(170);
    box.setDropDownRows(2);
    box.resize(60, box.sizeHint().height());
    box.showPopup();
    QVERIFY(box.view()->window()->width() >= 170);
    QVERIFY(box.view()->height() < 3 * box.view()->visualRect(box.model()->index(0, 0)).height());
    box.hidePopup();
}

void TestDataAwareWidgets::lookupLocatesRow()
{
    Data d;
    DbLookupComboBox box;
    box.setListSource(&d.clients, u"FULLNAME"_s, {u"FULLNAME"_s});
    box.setEmptyEntry(u"<-- Add new client -->"_s);
    QCOMPARE(itemTexts(box), (QStringList{"<-- Add new client -->", "alpha GmbH", "Mike", "Zeta Ltd"}));
    QCOMPARE(box.text(), QString()); // nothing chosen at first
    QSignalSpy changed(&box, &DbLookupComboBox::changed);

    QTest::keyClick(&box, Qt::Key_End);
    QCOMPARE(box.text(), u"Zeta Ltd"_s);
    QCOMPARE(d.clients.recNo(), 0);
    box.setText(u"Mike"_s);
    QCOMPARE(box.currentText(), u"Mike"_s);
    QCOMPARE(d.clients.value(u"FULLNAME"_s), QVariant(u"Mike"_s));
    QTest::keyClick(&box, Qt::Key_Home);
    QCOMPARE(box.text(), u"<-- Add new client -->"_s);
    QCOMPARE(d.clients.value(u"FULLNAME"_s), QVariant(u"Mike"_s)); // the empty entry moves nothing
    box.setText(u"mike"_s);                                        // keys match exactly
    QCOMPARE(box.currentIndex(), -1);
    QCOMPARE(changed.count(), 4);
}

void TestDataAwareWidgets::lookupSortedWhenFirstShown()
{
    Data d;
    DbLookupComboBox box;
    box.setSortDeferredUntilShown(true);
    box.setListSource(&d.clients, u"FULLNAME"_s, {u"FULLNAME"_s});
    box.setText(u"Mike"_s);
    d.clients.appendRecord({u"Bravo"_s});
    box.show();
    QCOMPARE(itemTexts(box), (QStringList{"alpha GmbH", "Bravo", "Mike", "Zeta Ltd"}));
    QCOMPARE(box.text(), u"Mike"_s); // the choice survives the sort
    d.clients.appendRecord({u"Anton"_s}); // and the list stays in order from then on
    QCOMPARE(itemTexts(box), (QStringList{"alpha GmbH", "Anton", "Bravo", "Mike", "Zeta Ltd"}));
}

void TestDataAwareWidgets::lookupFollowsListChanges()
{
    Data d;
    DbLookupComboBox box;
    box.setListSource(&d.clients, u"FULLNAME"_s, {u"FULLNAME"_s});
    box.setText(u"Mike"_s);

    d.clients.appendRecord({u"Bravo"_s});
    QCOMPARE(itemTexts(box), (QStringList{"alpha GmbH", "Bravo", "Mike", "Zeta Ltd"}));
    QCOMPARE(box.text(), u"Mike"_s);
    QVERIFY(d.clients.locate(u"FULLNAME"_s, u"Mike"_s));
    d.clients.edit();
    d.clients.setValue(u"FULLNAME"_s, u"Anton"_s);
    d.clients.post();
    QCOMPARE(itemTexts(box), (QStringList{"alpha GmbH", "Anton", "Bravo", "Zeta Ltd"}));
    QCOMPARE(box.text(), u"Anton"_s); // the chosen client was renamed

    d.clients.deleteRecord();
    QCOMPARE(itemTexts(box), (QStringList{"alpha GmbH", "Bravo", "Zeta Ltd"}));
    QCOMPARE(box.currentIndex(), -1); // not a neighbour in its place
    d.clients.emptyDataSet();
    d.clients.appendRecord({u"First"_s});
    QCOMPARE(box.currentIndex(), -1); // a row arriving in an empty list is not chosen by itself
    box.setText(u"First"_s);
    d.clients.disableControls(); // a reload keeps the choice
    d.clients.enableControls();
    QCOMPARE(box.text(), u"First"_s);
}

void TestDataAwareWidgets::lookupReportsCloseAfterChoice()
{
    Data d;
    DbLookupComboBox box;
    box.setListSource(&d.clients, u"FULLNAME"_s, {u"FULLNAME"_s});
    box.setEmptyEntry(u"<-- Add new client -->"_s);
    box.setText(u"<-- Add new client -->"_s);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QStringList seen; // what a handler connected to both signals sees
    connect(&box, &DbLookupComboBox::changed, this, [&] { seen << "changed " + box.text(); });
    connect(&box, &DbLookupComboBox::closedUp, this, [&] { seen << "closed " + box.text(); });

    box.showPopup();
    QAbstractItemView *view = box.view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QRect mike = view->visualRect(box.model()->index(2, 0));
    QTest::mouseMove(view->viewport(), mike.center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, mike.center());

    QTRY_COMPARE(seen, (QStringList{"changed Mike", "closed Mike"}));
    QCOMPARE(d.clients.value(u"FULLNAME"_s), QVariant(u"Mike"_s));
}

QTEST_MAIN(TestDataAwareWidgets)
#include "tst_DataAwareWidgets.moc"
