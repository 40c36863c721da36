// The binding between the translation table and Qt's views.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include "project/project_files.h"
#include "table/errors.h"
#include "ui/table_model.h"

using namespace parlix;

namespace {

void AddRecord(PtfTable& table, const char* type, const char* language1) {
    table.Append();
    table.Field(0).SetAsString(type);
    table.Field(3).SetAsString(language1);
    table.Post();
}

}  // namespace

class TableModelTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        table_ = std::make_unique<PtfTable>();
        DefineTranslationFields(*table_);
        model_ = std::make_unique<TableModel>(*table_);
        tester_ = std::make_unique<QAbstractItemModelTester>(
            model_.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void cleanup() {
        tester_.reset();
        model_.reset();
        table_.reset();
    }

    void keepsQtsContractThroughTheTablesLife() {
        QCOMPARE(model_->rowCount(), 0);
        QCOMPARE(model_->columnCount(), 0);

        table_->CreateTable();
        QCOMPARE(model_->columnCount(), 5);
        QCOMPARE(model_->headerData(3, Qt::Horizontal).toString(), QString("Language1"));

        AddRecord(*table_, "b", "zwei");
        AddRecord(*table_, "a", "eins");
        AddRecord(*table_, "c", "drei");
        QCOMPARE(model_->rowCount(), 3);

        table_->Append();  // the new record is a row of its own until it is stored or dropped
        QCOMPARE(model_->rowCount(), 4);
        table_->Cancel();
        QCOMPARE(model_->rowCount(), 3);

        table_->SetIndexFieldNames("Type");
        QCOMPARE(model_->data(model_->index(0, 0)).toString(), QString("a"));
        QCOMPARE(model_->data(model_->index(2, 3)).toString(), QString("drei"));

        table_->MoveTo(1);
        table_->Delete();
        QCOMPARE(model_->rowCount(), 2);

        table_->DisableControls();
        AddRecord(*table_, "d", "vier");
        AddRecord(*table_, "e", "fünf");
        QCOMPARE(model_->rowCount(), 2);  // nothing announced while the controls are off
        QVERIFY(!model_->data(model_->index(1, 0)).toString().isEmpty());
        table_->EnableControls();
        QCOMPARE(model_->rowCount(), 4);

        table_->Close();
        QCOMPARE(model_->rowCount(), 0);
        QCOMPARE(model_->columnCount(), 0);
        table_->Open();
        QCOMPARE(model_->rowCount(), 4);
    }

    void showsWindows1252BytesAsText() {
        table_->CreateTable();
        AddRecord(*table_, "\x80",
                  "\xdc"
                  "bernehmen");
        QCOMPARE(model_->data(model_->index(0, 0)).toString(), QString("€"));
        QCOMPARE(model_->data(model_->index(0, 3), Qt::EditRole).toString(), QString("Übernehmen"));

        RenameLanguageFields(*table_,
                             "Fran\xe7"
                             "ais",
                             "English");
        table_->Close();
        table_->CreateTable();
        QCOMPARE(model_->headerData(3, Qt::Horizontal).toString(), QString("Français"));
    }

    void typingEditsTheRecordWhichStaysInEditUntilStored() {
        table_->CreateTable();
        AddRecord(*table_, "a", "eins");
        AddRecord(*table_, "b", "zwei");
        table_->First();
        QSignalSpy stateChanges(model_.get(), &TableModel::stateChanged);

        QVERIFY(model_->setData(model_->index(1, 4), QString("two – €")));
        QCOMPARE(table_->State(), TableState::Edit);
        QCOMPARE(table_->RecNo(), 1);
        QCOMPARE(table_->TextAt(1, 4), std::string("two \x96 \x80"));
        QVERIFY(stateChanges.count() >= 1);
        QCOMPARE(model_->headerData(1, Qt::Vertical).toString(), QString("✎"));

        model_->revert();  // Escape
        QCOMPARE(table_->State(), TableState::Browse);
        QVERIFY(table_->IsNullAt(1, 4));
    }

    void anUnchangedValueChangesNothing() {
        table_->CreateTable();
        AddRecord(*table_, "a", "eins");
        table_->First();
        QVERIFY(model_->setData(model_->index(0, 1), QString()));  // null stays null
        QVERIFY(model_->setData(model_->index(0, 0), QString("a")));
        QCOMPARE(table_->State(), TableState::Browse);
        QVERIFY(table_->IsNullAt(0, 1));
    }

    void refusesACharacterWindows1252CannotHoldVisibly() {
        table_->CreateTable();
        AddRecord(*table_, "a", "eins");
        table_->First();
        QString reported;
        model_->SetErrorHandler([&reported] {
            try {
                throw;
            } catch (const std::exception& e) {
                reported = QString::fromUtf8(e.what());
            }
        });
        QVERIFY(!model_->setData(model_->index(0, 3), QString("Łódź")));
        QVERIFY(reported.contains("„Ł“"));
        QCOMPARE(table_->TextAt(0, 3), std::string("eins"));
        QCOMPARE(table_->State(), TableState::Browse);
    }

    void editingAnotherRowStoresTheFirst() {
        table_->CreateTable();
        AddRecord(*table_, "a", "eins");
        AddRecord(*table_, "b", "zwei");
        table_->First();
        QVERIFY(model_->setData(model_->index(0, 2), QString("sOne")));
        QVERIFY(model_->setData(model_->index(1, 2), QString("sTwo")));
        QCOMPARE(table_->TextAt(0, 2), std::string("sOne"));
        QCOMPARE(table_->RecNo(), 1);
        QCOMPARE(table_->State(), TableState::Edit);
    }

    void followsTheCursorAndMarksTheCurrentRecord() {
        table_->CreateTable();
        AddRecord(*table_, "a", "eins");
        AddRecord(*table_, "b", "zwei");
        QSignalSpy moves(model_.get(), &TableModel::currentRowChanged);
        table_->First();
        QCOMPARE(moves.takeLast().at(0).toInt(), 0);
        QCOMPARE(model_->headerData(0, Qt::Vertical).toString(), QString("▶"));
        QCOMPARE(model_->headerData(1, Qt::Vertical).toString(), QString());
        table_->Append();
        QCOMPARE(moves.takeLast().at(0).toInt(), 2);
        QCOMPARE(model_->headerData(2, Qt::Vertical).toString(), QString("✱"));
    }

    void aRefusedInsertLeavesTheModelAlone() {
        table_->CreateTable();
        table_->BeforeInsert = [](PtfTable&) { throw EAbort(); };
        QVERIFY_THROWS_EXCEPTION(EAbort, table_->Append());
        QCOMPARE(model_->rowCount(), 0);
    }

  private:
    std::unique_ptr<PtfTable> table_;
    std::unique_ptr<TableModel> model_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

QTEST_MAIN(TableModelTest)
#include "tst_table_model.moc"
