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

// Clients (master) and their options (detail), as the main window binds them.
struct Data
{
    Dataset clients{u"Clients"_s};
    Dataset options{u"OptionsByClient"_s};
    Dataset currency{u"Currency"_s};

    Data()
    {
        clients.setFields({FieldDef::text(u"FULLNAME"_s, 60, true)});
        clients.createDataSet();
        options.setFields({FieldDef::text(u"FullName"_s, 60), FieldDef::text(u"Currency"_s, 3),
                           FieldDef::floating(u"BaseRate"_s), FieldDef::integer(u"iWord2"_s),
                           FieldDef::text(u"Units"_s, 5), FieldDef::boolean(u"bWords"_s)});
        options.createDataSet();
        currency.setFields({FieldDef::text(u"VCode"_s, 3), FieldDef::text(u"VTitle"_s, 40)});
        currency.createDataSet();
        for (const char *c : {"Zeta Ltd", "alpha GmbH", "Mike"})
            clients.appendRecord({QString::fromLatin1(c)});
        options.appendRecord({u"Zeta Ltd"_s, u"EUR"_s, 0.1, 10, u"Words"_s, true});
        options.appendRecord({u"alpha GmbH"_s, u"USD"_s, 12.0, 20, u"Pages"_s});
        options.appendRecord({u"Mike"_s, {}, 0.125, {}, {}, false});
        options.setMasterSource(&clients, u"FULLNAME"_s, u"FullName"_s);
        currency.appendRecord({u"USD"_s, u"US dollar"_s});
        currency.appendRecord({u"EUR"_s, u"Euro"_s});
        currency.appendRecord({u"CHF"_s, u"Swiss franc"_s});
        currency.first();
        clients.first();
    }
};

// An edit in a shown, active window, with a second widget to move the focus to.
struct Window
{
    QWidget widget;
    DbEdit *edit = new DbEdit;
    QLineEdit *other = new QLineEdit;

    Window()
    {
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
    // Lists sort the way the user's language does; "C" would put every capital first.
    void init() { QLocale::setDefault(QLocale(u"en_US"_s)); }

    void editFollowsRowsAndMaster_data();
    void editFollowsRowsAndMaster();
    void typedTextIsStored_data();
    void typedTextIsStored();
    void typedTextReachesPostWithoutFocusOut();
    void refusedTextIsKeptWithMessage();
    void typingIntoEmptyDetailAddsRow();
    void inactiveDatasetShowsNothing();
    void checkBoxFollowsAndWrites();
    void comboShowsValueAndStoresChoice();
    void lookupStoresKey();
    void lookupLocatesRowWithEmptyEntry();
    void lookupFollowsListChanges();
    void lookupReportsCloseAfterChoice();
};

void TestDataAwareWidgets::editFollowsRowsAndMaster_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("shown"); // BaseRate of the three clients in dataset order

    QTest::newRow("point") << "en_US" << QStringList{"0.1", "12", "0.125"};
    QTest::newRow("comma") << "de_DE" << QStringList{"0,1", "12", "0,125"};
}

void TestDataAwareWidgets::editFollowsRowsAndMaster()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, shown);
    QLocale::setDefault(QLocale(locale));
    Data d;
    DbEdit rate, words, name;
    rate.setBinding(&d.options, u"baserate"_s); // names are matched without regard to case
    words.setBinding(&d.options, u"iWord2"_s);
    name.setBinding(&d.clients, u"FULLNAME"_s);

    QCOMPARE(rate.text(), shown.at(0));
    QCOMPARE(words.text(), u"10"_s);
    d.clients.next();
    QCOMPARE(name.text(), u"alpha GmbH"_s);
    QCOMPARE(rate.text(), shown.at(1));
    QCOMPARE(words.text(), u"20"_s);
    d.clients.next();
    QCOMPARE(rate.text(), shown.at(2));
    QCOMPARE(words.text(), QString()); // null
    QCOMPARE(name.maxLength(), 60);
}

void TestDataAwareWidgets::typedTextIsStored_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shownWhileTyping");
    QTest::addColumn<QVariant>("stored");

    const auto row = [](const char *name, const char *locale, const char *field, const char *typed, const char *shown,
                        const QVariant &stored) {
        QTest::newRow(name) << QString::fromLatin1(locale) << QString::fromLatin1(field) << QString::fromLatin1(typed)
                            << QString::fromLatin1(shown) << stored;
    };
    row("integer refuses a decimal point", "en_US", "iWord2", "90.5", "905", qint64(905));
    row("negative integer", "en_US", "iWord2", "-12", "-12", qint64(-12));
    row("integer refuses letters", "en_US", "iWord2", "4x2", "42", qint64(42));
    row("float with point", "en_US", "BaseRate", "90.5", "90.5", 90.5);
    row("float, comma locale", "de_DE", "BaseRate", "90,5", "90,5", 90.5);
    row("point under comma locale", "de_DE", "BaseRate", "90.5", "90.5", 90.5);
    row("one separator only", "en_US", "BaseRate", "1.2.3", "1.23", 1.23);
    row("text cut to width", "en_US", "Units", "Characters", "Chara", u"Chara"_s);
    row("empty writes null", "en_US", "Units", "", "", QVariant());
}

void TestDataAwareWidgets::typedTextIsStored()
{
    QFETCH(QString, locale);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shownWhileTyping);
    QFETCH(QVariant, stored);
    QLocale::setDefault(QLocale(locale));
    test::ScriptedDialogs dialogs;
    Data d;
    Window w;
    w.edit->setBinding(&d.options, field);
    w.edit->selectAll();
    QTest::keyClick(w.edit, Qt::Key_Delete);
    QTest::keyClicks(w.edit, typed);

    QCOMPARE(w.edit->text(), shownWhileTyping);
    QCOMPARE(d.options.state(), DatasetState::Edit);
    w.other->setFocus(); // leaving the edit writes the text

    QCOMPARE(d.options.value(field), stored);
    QCOMPARE(d.options.value(field).isNull(), stored.isNull());
    QCOMPARE(dialogs.messages, QStringList());
    d.options.post();
    QCOMPARE(d.options.value(field), stored);
}

void TestDataAwareWidgets::typedTextReachesPostWithoutFocusOut()
{
    Data d;
    Window w;
    w.edit->setBinding(&d.options, u"BaseRate"_s);
    w.edit->selectAll();
    QTest::keyClicks(w.edit, u"77.25"_s);
    QCOMPARE(d.options.value(u"BaseRate"_s), QVariant(0.1)); // not written per keystroke

    d.options.post();

    QCOMPARE(d.options.state(), DatasetState::Browse);
    QCOMPARE(d.options.value(u"BaseRate"_s), QVariant(77.25));
    QCOMPARE(w.edit->text(), u"77.25"_s);
}

void TestDataAwareWidgets::refusedTextIsKeptWithMessage()
{
    test::ScriptedDialogs dialogs;
    Data d;
    Window w;
    w.edit->setBinding(&d.options, u"BaseRate"_s);
    w.edit->selectAll();
    QTest::keyClicks(w.edit, u"-"_s);

    QTest::keyClick(w.edit, Qt::Key_Return);

    QCOMPARE(dialogs.messages, QStringList{"'-' is not a valid floating point value"});
    QCOMPARE(dialogs.messageKinds.value(0), Dialogs::Kind::Error);
    QCOMPARE(w.edit->text(), u"-"_s);
    QCOMPARE(d.options.value(u"BaseRate"_s), QVariant(0.1));

    // The refused text also survives a post of the rest of the row, so the user can correct it.
    d.options.post();
    QCOMPARE(w.edit->text(), u"-"_s);
    QTest::keyClicks(w.edit, u"3"_s);
    w.other->setFocus();
    QCOMPARE(d.options.value(u"BaseRate"_s), QVariant(-3.0));
}

void TestDataAwareWidgets::typingIntoEmptyDetailAddsRow()
{
    Data d;
    d.clients.appendRecord({u"New client"_s}); // has no options row yet
    Window w;
    w.edit->setBinding(&d.options, u"BaseRate"_s);
    QCOMPARE(w.edit->text(), QString());
    QVERIFY(!w.edit->isReadOnly());

    QTest::keyClicks(w.edit, u"5"_s);
    QCOMPARE(d.options.state(), DatasetState::Insert);
    QCOMPARE(w.edit->text(), u"5"_s);
    d.options.post();

    QCOMPARE(d.options.recordCount(), 1);
    QCOMPARE(d.options.value(u"FullName"_s), QVariant("New client"));
    QCOMPARE(d.options.value(u"BaseRate"_s), QVariant(5.0));
}

void TestDataAwareWidgets::inactiveDatasetShowsNothing()
{
    test::ScriptedDialogs dialogs;
    Data d;
    Window w;
    w.edit->setBinding(&d.options, u"BaseRate"_s);
    d.options.close();

    QCOMPARE(w.edit->text(), QString());
    QVERIFY(w.edit->isReadOnly());
    QTest::keyClicks(w.edit, u"12"_s);
    w.other->setFocus();
    QCOMPARE(w.edit->text(), QString());
    QCOMPARE(dialogs.messages, QStringList());
}

void TestDataAwareWidgets::checkBoxFollowsAndWrites()
{
    Data d;
    DbCheckBox box;
    box.setBinding(&d.options, u"bWords"_s);
    QVERIFY(box.isChecked());
    d.clients.next(); // null shows unchecked
    QVERIFY(!box.isChecked());

    QTest::keyClick(&box, Qt::Key_Space);

    QVERIFY(box.isChecked());
    QCOMPARE(d.options.state(), DatasetState::Edit);
    QCOMPARE(d.options.value(u"bWords"_s), QVariant(true));
    d.options.cancel();
    QVERIFY(!box.isChecked());
}

void TestDataAwareWidgets::comboShowsValueAndStoresChoice()
{
    Data d;
    DbComboBox box;
    box.setBinding(&d.options, u"Units"_s);
    box.addItems({"Lines", "Pages", "Words"}); // items after binding must not select the first one
    QCOMPARE(box.currentText(), u"Words"_s);
    d.clients.next();
    QCOMPARE(box.currentText(), u"Pages"_s);
    d.clients.next();
    QCOMPARE(box.currentIndex(), -1); // null is not among the items

    QTest::keyClick(&box, Qt::Key_End);

    QCOMPARE(d.options.state(), DatasetState::Edit);
    QCOMPARE(d.options.value(u"Units"_s), QVariant("Words"));
    d.options.cancel();
    QCOMPARE(box.currentIndex(), -1);
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

    QCOMPARE(d.options.value(u"Currency"_s), QVariant("CHF"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(d.currency.value(u"VCode"_s), QVariant("USD")); // the list itself does not move

    box.setDropDownWidth(170);
    box.setDropDownRows(2);
    box.resize(60, box.sizeHint().height());
    box.showPopup();
    QVERIFY(box.view()->window()->width() >= 170);
    QVERIFY(box.view()->height() < 3 * box.view()->visualRect(box.model()->index(0, 0)).height());
    box.hidePopup();
}

void TestDataAwareWidgets::lookupLocatesRowWithEmptyEntry()
{
    Data d;
    DbLookupComboBox box;
    box.setListSource(&d.clients, u"FULLNAME"_s, {u"FULLNAME"_s});
    box.setEmptyEntry(u"<-- Add new client -->"_s);
    QCOMPARE(itemTexts(box), (QStringList{"<-- Add new client -->", "alpha GmbH", "Mike", "Zeta Ltd"}));
    QCOMPARE(box.currentIndex(), -1);
    QCOMPARE(box.text(), QString());
    QSignalSpy changed(&box, &DbLookupComboBox::changed);

    QTest::keyClick(&box, Qt::Key_End);
    QCOMPARE(box.text(), u"Zeta Ltd"_s);
    QCOMPARE(d.clients.recNo(), 0);
    QCOMPARE(changed.count(), 1);

    box.setText(u"Mike"_s);
    QCOMPARE(box.currentText(), u"Mike"_s);
    QCOMPARE(d.clients.value(u"FULLNAME"_s), QVariant("Mike"));
    QCOMPARE(changed.count(), 2);

    QTest::keyClick(&box, Qt::Key_Home);
    QCOMPARE(box.text(), u"<-- Add new client -->"_s);
    QCOMPARE(d.clients.value(u"FULLNAME"_s), QVariant("Mike")); // the empty entry moves nothing
    QCOMPARE(changed.count(), 3);

    box.setText(u"mike"_s); // keys match exactly
    QCOMPARE(box.currentIndex(), -1);
    QCOMPARE(changed.count(), 4);
}

void TestDataAwareWidgets::lookupFollowsListChanges()
{
    Data d;
    DbLookupComboBox box;
    box.setListSource(&d.clients, u"FULLNAME"_s, {u"FULLNAME"_s});
    QSignalSpy changed(&box, &DbLookupComboBox::changed);
    box.setText(u"Mike"_s);

    d.clients.appendRecord({u"Bravo"_s});
    QCOMPARE(itemTexts(box), (QStringList{"alpha GmbH", "Bravo", "Mike", "Zeta Ltd"}));
    QCOMPARE(box.text(), u"Mike"_s);

    QVERIFY(d.clients.locate(u"FULLNAME"_s, u"Mike"_s));
    d.clients.edit();
    d.clients.setValue(u"FULLNAME"_s, u"Anton"_s);
    d.clients.post();
    QCOMPARE(itemTexts(box), (QStringList{"alpha GmbH", "Anton", "Bravo", "Zeta Ltd"}));
    QCOMPARE(box.text(), u"Anton"_s);

    d.clients.deleteRecord();
    QCOMPARE(itemTexts(box), (QStringList{"alpha GmbH", "Bravo", "Zeta Ltd"}));
    QCOMPARE(box.currentIndex(), -1); // not a neighbour in its place

    d.clients.emptyDataSet();
    QCOMPARE(box.count(), 0);
    d.clients.appendRecord({u"First"_s});
    QCOMPARE(box.currentIndex(), -1); // a row arriving in an empty list is not chosen by itself
    QCOMPARE(changed.count(), 1);
}

void TestDataAwareWidgets::lookupReportsCloseAfterChoice()
{
    Data d;
    DbLookupComboBox box;
    box.setListSource(&d.clients, u"FULLNAME"_s, {u"FULLNAME"_s});
    box.setEmptyEntry(u"<-- Add new client -->"_s);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QStringList seen; // what a handler connected to both signals sees
    connect(&box, &DbLookupComboBox::changed, this, [&] { seen << "changed " + box.text(); });
    connect(&box, &DbLookupComboBox::closedUp, this, [&] { seen << "closed " + box.text(); });
    box.setText(u"<-- Add new client -->"_s);
    seen.clear();

    box.showPopup();
    QAbstractItemView *view = box.view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QRect mike = view->visualRect(box.model()->index(2, 0));
    QTest::mouseMove(view->viewport(), mike.center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, mike.center());

    QTRY_COMPARE(seen, (QStringList{"changed Mike", "closed Mike"}));
    QCOMPARE(d.clients.value(u"FULLNAME"_s), QVariant("Mike"));
}

QTEST_MAIN(TestDataAwareWidgets)
#include "tst_DataAwareWidgets.moc"
