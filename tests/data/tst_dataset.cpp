// The record set contract over an in-memory storage: event order, states,
// calculated fields, the filter hook, control notification and field texts.

#include "data/datalink.h"
#include "data/datasource.h"
#include "data/fieldtypes.h"
#include "tests/data/memorydataset.h"

#include <gtest/gtest.h>
#include <functional>

namespace {

// A table of readings: id, a day number, one value, a note; calculated: double and text.
struct Fixture
{
    TMemoryDataSet ds;
    QStringList events;
    TAutoIncField *id = nullptr;
    TIntegerField *value = nullptr;
    TFloatField *weight = nullptr;
    TFloatField *twice = nullptr;
    TStringField *label = nullptr;
    int calcRuns = 0;

    explicit Fixture(int rows = 3)
    {
        ds.addColumn("ID", ftAutoInc);
        ds.addColumn("Value", ftInteger);
        ds.addColumn("Weight", ftFloat);
        for (int i = 1; i <= rows; ++i) ds.addRow({QVariant(), i * 10, QVariant()});
        id = new TAutoIncField(&ds);
        id->FieldName = "ID";
        id->SetDataSet(&ds);
        value = new TIntegerField(&ds);
        value->FieldName = "Value";
        value->SetDataSet(&ds);
        weight = new TFloatField(&ds);
        weight->FieldName = "Weight";
        weight->SetDataSet(&ds);
        twice = new TFloatField(&ds);
        twice->FieldName = "Twice";
        twice->FieldKind = TFieldKind::fkCalculated;
        twice->SetDataSet(&ds);
        label = new TStringField(&ds);
        label->FieldName = "Label";
        label->Size = 20;
        label->FieldKind = TFieldKind::fkCalculated;
        label->SetDataSet(&ds);
        ds.OnCalcFields = [this](TDataSet *) {
            ++calcRuns;
            twice->SetAsFloat(value->AsInteger() * 2);
            label->SetAsString(QStringLiteral("v%1").arg(value->AsInteger()));
        };
    }

    void record()
    {
        auto rec = [this](const char *name) { return [this, name](TDataSet *) { events << name; }; };
        ds.BeforeOpen = rec("BeforeOpen");
        ds.AfterOpen = rec("AfterOpen");
        ds.BeforeClose = rec("BeforeClose");
        ds.AfterClose = rec("AfterClose");
        ds.BeforeInsert = rec("BeforeInsert");
        ds.AfterInsert = rec("AfterInsert");
        ds.BeforeEdit = rec("BeforeEdit");
        ds.AfterEdit = rec("AfterEdit");
        ds.BeforePost = rec("BeforePost");
        ds.AfterPost = rec("AfterPost");
        ds.BeforeCancel = rec("BeforeCancel");
        ds.AfterCancel = rec("AfterCancel");
        ds.BeforeDelete = rec("BeforeDelete");
        ds.AfterDelete = rec("AfterDelete");
        ds.BeforeScroll = rec("BeforeScroll");
        ds.AfterScroll = rec("AfterScroll");
        ds.OnNewRecord = rec("OnNewRecord");
    }
};

// A bound control that counts what it is told.
struct CountingLink : TDataLink
{
    int dataSetChanged = 0;
    int recordChanged = 0;
    int editingChanged = 0;
    int activeChanged = 0;
    void DataSetChanged() override { ++dataSetChanged; }
    void RecordChanged(TField *) override { ++recordChanged; }
    void EditingChanged() override { ++editingChanged; }
    void ActiveChanged() override { ++activeChanged; }
};

struct EventCase
{
    const char *name;
    std::function<void(Fixture &)> setup;   // runs before recording
    std::function<void(Fixture &)> action;
    QStringList expected;
};

class EventOrder : public testing::TestWithParam<EventCase>
{
};

TEST_P(EventOrder, RaisesEventsInOrder)
{
    const EventCase &c = GetParam();
    Fixture f;
    if (c.setup) c.setup(f);
    f.record();
    c.action(f);
    EXPECT_EQ(f.events.join(' ').toStdString(), c.expected.join(' ').toStdString());
}

const EventCase kEventCases[] = {
    {"Open", nullptr, [](Fixture &f) { f.ds.Open(); }, {"BeforeOpen", "AfterOpen", "AfterScroll"}},
    {"OpenEmpty", [](Fixture &) {}, [](Fixture &f) {
         TMemoryDataSet &d = f.ds;
         d.Open();
         while (!d.IsEmpty()) d.Delete();
         f.events.clear();
         d.Close();
         d.Open();
     },
     {"BeforeClose", "AfterClose", "BeforeOpen", "AfterOpen"}},
    {"Close", [](Fixture &f) { f.ds.Open(); }, [](Fixture &f) { f.ds.Close(); }, {"BeforeClose", "AfterClose"}},
    {"Insert", [](Fixture &f) { f.ds.Open(); }, [](Fixture &f) { f.ds.Insert(); },
     {"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}},
    {"Append", [](Fixture &f) { f.ds.Open(); }, [](Fixture &f) { f.ds.Append(); },
     {"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}},
    {"Edit", [](Fixture &f) { f.ds.Open(); }, [](Fixture &f) { f.ds.Edit(); }, {"BeforeEdit", "AfterEdit"}},
    {"EditWhileEditing", [](Fixture &f) { f.ds.Open(); f.ds.Edit(); }, [](Fixture &f) { f.ds.Edit(); }, {}},
    {"PostEdit", [](Fixture &f) { f.ds.Open(); f.ds.Edit(); f.value->SetAsInteger(5); },
     [](Fixture &f) { f.ds.Post(); }, {"BeforePost", "AfterPost"}},
    {"PostInsert", [](Fixture &f) { f.ds.Open(); f.ds.Insert(); f.value->SetAsInteger(5); },
     [](Fixture &f) { f.ds.Post(); }, {"BeforePost", "AfterPost"}},
    {"CancelEdit", [](Fixture &f) { f.ds.Open(); f.ds.Edit(); }, [](Fixture &f) { f.ds.Cancel(); },
     {"BeforeCancel", "AfterCancel"}},
    {"CancelInsert", [](Fixture &f) { f.ds.Open(); f.ds.Insert(); }, [](Fixture &f) { f.ds.Cancel(); },
     {"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}},
    {"Delete", [](Fixture &f) { f.ds.Open(); }, [](Fixture &f) { f.ds.Delete(); },
     {"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}},
    {"Next", [](Fixture &f) { f.ds.Open(); }, [](Fixture &f) { f.ds.Next(); }, {"BeforeScroll", "AfterScroll"}},
    {"NextPostsModifiedEdit", [](Fixture &f) { f.ds.Open(); f.ds.Edit(); f.value->SetAsInteger(7); },
     [](Fixture &f) { f.ds.Next(); }, {"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}},
    {"NextCancelsUntouchedInsert", [](Fixture &f) { f.ds.Open(); f.ds.Insert(); },
     [](Fixture &f) { f.ds.Next(); },
     {"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll", "BeforeScroll", "AfterScroll"}},
    {"Last", [](Fixture &f) { f.ds.Open(); }, [](Fixture &f) { f.ds.Last(); }, {"BeforeScroll", "AfterScroll"}},
};

INSTANTIATE_TEST_SUITE_P(DataSet, EventOrder, testing::ValuesIn(kEventCases),
                         [](const testing::TestParamInfo<EventCase> &i) { return std::string(i.param.name); });

TEST(DataSet, NavigatesAndReportsBofEof)
{
    Fixture f;
    f.ds.Open();
    EXPECT_EQ(f.value->AsInteger(), 10);
    EXPECT_TRUE(f.ds.Bof());
    f.ds.Next();
    f.ds.Next();
    EXPECT_EQ(f.value->AsInteger(), 30);
    EXPECT_FALSE(f.ds.Eof());
    f.ds.Next();
    EXPECT_TRUE(f.ds.Eof());
    EXPECT_EQ(f.value->AsInteger(), 30);
    f.ds.First();
    EXPECT_EQ(f.ds.MoveBy(5), 2);
    EXPECT_EQ(f.ds.MoveBy(-5), -2);
    EXPECT_TRUE(f.ds.Bof());
    f.ds.Last();
    EXPECT_EQ(f.value->AsInteger(), 30);
}

TEST(DataSet, EmptySetIsBofAndEof)
{
    Fixture f(0);
    f.ds.Open();
    EXPECT_TRUE(f.ds.IsEmpty());
    EXPECT_TRUE(f.ds.Bof());
    EXPECT_TRUE(f.ds.Eof());
    EXPECT_TRUE(f.value->IsNull());
    try {
        f.ds.Delete();
        FAIL() << "Delete on an empty set must fail";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.message(), "Cannot perform this operation on an empty dataset");
    }
}

TEST(DataSet, EditOnEmptySetInserts)
{
    Fixture f(0);
    f.ds.Open();
    f.record();
    f.ds.Edit();
    EXPECT_EQ(f.ds.State(), DataSetState::Insert);
    EXPECT_EQ(f.events.first(), "BeforeInsert");
    f.value->SetAsInteger(42);
    f.ds.Post();
    ASSERT_EQ(f.ds.rows().size(), 1);
    EXPECT_EQ(f.ds.stored(0, "Value").toInt(), 42);
    EXPECT_EQ(f.id->AsInteger(), f.ds.rows()[0].id);
}

TEST(DataSet, DeleteWhileInsertingCancels)
{
    Fixture f;
    f.ds.Open();
    f.ds.Insert();
    f.value->SetAsInteger(99);
    f.ds.Delete();
    EXPECT_EQ(f.ds.State(), DataSetState::Browse);
    EXPECT_EQ(f.ds.rows().size(), 3);
    EXPECT_FALSE(f.ds.calls.join(',').contains("delete"));
}

TEST(DataSet, AbortInBeforeDeleteKeepsTheRecord)
{
    Fixture f;
    f.ds.Open();
    f.ds.Next();
    f.ds.BeforeDelete = [](TDataSet *) { Abort(); };
    EXPECT_THROW(f.ds.Delete(), EAbort);
    EXPECT_EQ(f.ds.rows().size(), 3);
    EXPECT_EQ(f.value->AsInteger(), 20);
    EXPECT_EQ(f.ds.State(), DataSetState::Browse);
}

TEST(DataSet, FailedPostKeepsStateAndValues)
{
    for (bool inserting : {false, true}) {
        SCOPED_TRACE(inserting ? "insert" : "edit");
        Fixture f;
        f.ds.Open();
        if (inserting) f.ds.Insert();
        else f.ds.Edit();
        f.value->SetAsInteger(77);
        f.ds.failPost = "disk full";
        try {
            f.ds.Post();
            FAIL() << "post must fail";
        } catch (const EDatabaseError &e) {
            EXPECT_EQ(e.message(), "disk full");
        }
        EXPECT_EQ(f.ds.State(), inserting ? DataSetState::Insert : DataSetState::Edit);
        EXPECT_EQ(f.value->AsInteger(), 77);
        EXPECT_TRUE(f.ds.Modified());
    }
}

TEST(DataSet, PostErrorRetryAndAbort)
{
    Fixture f;
    f.ds.Open();
    f.ds.Edit();
    f.value->SetAsInteger(5);
    f.ds.failPost = "locked";
    f.ds.failPostTimes = 2;
    int asked = 0;
    f.ds.OnPostError = [&](TDataSet *, EDatabaseError &, TDataAction &action) {
        ++asked;
        action = TDataAction::Retry;
    };
    f.ds.Post();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(f.ds.stored(0, "Value").toInt(), 5);

    f.ds.Edit();
    f.value->SetAsInteger(6);
    f.ds.failPostTimes = 0;
    f.ds.OnPostError = [](TDataSet *, EDatabaseError &, TDataAction &action) { action = TDataAction::Abort; };
    EXPECT_THROW(f.ds.Post(), EAbort);
    EXPECT_EQ(f.ds.State(), DataSetState::Edit);
}

TEST(DataSet, NewRecordHandlerFailureDropsTheBuffer)
{
    Fixture f;
    f.ds.Open();
    f.ds.Next();
    f.ds.OnNewRecord = [](TDataSet *) { DatabaseError("no date"); };
    EXPECT_THROW(f.ds.Insert(), EDatabaseError);
    EXPECT_EQ(f.ds.State(), DataSetState::Browse);
    EXPECT_EQ(f.value->AsInteger(), 20);
    f.ds.Last();
    EXPECT_EQ(f.value->AsInteger(), 30);
    EXPECT_EQ(f.ds.rows().size(), 3);
}

TEST(DataSet, UntouchedNewRecordIsCancelledNotPosted)
{
    Fixture f;
    f.ds.OnNewRecord = [&f](TDataSet *) { f.value->SetAsInteger(1); };
    f.ds.Open();
    f.ds.Insert();
    EXPECT_FALSE(f.ds.Modified());
    f.ds.Next();
    EXPECT_EQ(f.ds.rows().size(), 3);
    f.ds.Insert();
    f.weight->SetAsFloat(70.5);
    EXPECT_TRUE(f.ds.Modified());
    f.ds.Next();
    EXPECT_EQ(f.ds.rows().size(), 4);
}

TEST(DataSet, InsertPlacesTheRecordBeforeTheActiveOne)
{
    Fixture f;
    f.ds.Open();
    f.ds.Next();
    f.ds.Insert();
    f.value->SetAsInteger(15);
    f.ds.Post();
    EXPECT_EQ(f.value->AsInteger(), 15);
    QList<int> order;
    for (f.ds.First(); !f.ds.Eof(); f.ds.Next()) order << f.value->AsInteger();
    EXPECT_EQ(order, (QList<int>{10, 15, 20, 30}));
}

TEST(DataSet, CalculatedFieldsFollowEditsWithoutLeavingEdit)
{
    Fixture f;
    f.ds.Open();
    EXPECT_EQ(f.twice->AsFloat(), 20);
    f.ds.Edit();
    f.value->SetAsInteger(21);
    EXPECT_EQ(f.ds.State(), DataSetState::Edit);
    EXPECT_EQ(f.twice->AsFloat(), 42);
    EXPECT_EQ(f.label->AsString(), "v21");

    f.ds.Cancel();
    f.ds.AutoCalcFields = false;
    f.ds.Edit();
    f.value->SetAsInteger(30);
    EXPECT_EQ(f.twice->AsFloat(), 20);
}

TEST(DataSet, FilterSeesCalculatedValuesAndIsNeverCached)
{
    Fixture f(6);
    QString wanted = "v20";
    QStringList seen;
    f.ds.OnFilterRecord = [&](TDataSet *ds, bool &accept) {
        EXPECT_EQ(ds->State(), DataSetState::Filter);
        seen << f.label->AsString();
        accept = f.label->AsString() >= wanted;
    };
    f.ds.SetFiltered(true);
    f.ds.Open();
    EXPECT_EQ(f.value->AsInteger(), 20);
    EXPECT_TRUE(seen.contains("v10"));
    EXPECT_EQ(f.ds.RecordCount(), 5);
    wanted = "v40";
    f.ds.First();
    EXPECT_EQ(f.value->AsInteger(), 40);
    EXPECT_EQ(f.ds.RecordCount(), 3);
    EXPECT_EQ(f.ds.RecNo(), 1);
}

TEST(DataSet, DisableControlsNotifiesOnceAtTheLastEnable)
{
    Fixture f(10);
    TDataSource src;
    CountingLink link;
    link.SetDataSource(&src);
    src.SetDataSet(&f.ds);
    f.ds.Open();
    link.dataSetChanged = 0;
    f.ds.DisableControls();
    f.ds.DisableControls();
    f.ds.Next();
    f.ds.Edit();
    f.value->SetAsInteger(3);
    f.ds.Post();
    f.ds.EnableControls();
    EXPECT_EQ(link.dataSetChanged, 0);
    EXPECT_EQ(link.recordChanged, 0);
    f.ds.EnableControls();
    EXPECT_EQ(link.dataSetChanged, 1);
    EXPECT_EQ(link.recordChanged, 0);
}

TEST(DataSet, LinksKeepTheirWindowOnTheBufferRing)
{
    Fixture f(20);
    TDataSource src;
    CountingLink link;
    link.SetBufferCount(5);
    link.SetDataSource(&src);
    src.SetDataSet(&f.ds);
    f.ds.Open();
    EXPECT_EQ(f.ds.BufferCount(), 5);
    EXPECT_EQ(link.RecordCount(), 5);
    f.ds.MoveBy(7);
    EXPECT_EQ(f.value->AsInteger(), 80);
    EXPECT_EQ(link.ActiveRecord(), 4);
    f.ds.MoveBy(-3);
    EXPECT_EQ(link.ActiveRecord(), 1);
    f.ds.Last();
    EXPECT_EQ(link.ActiveRecord(), 4);
    EXPECT_EQ(f.value->AsInteger(), 200);
    // Reading a row of the window does not move the cursor.
    link.SetActiveRecord(0);
    EXPECT_EQ(f.value->AsInteger(), 160);
    link.SetActiveRecord(4);
    // Only the ring's records were fetched for a jump to the end, not the whole table.
    f.ds.calls.clear();
    f.ds.First();
    EXPECT_LE(f.ds.calls.size(), 6);
}

TEST(DataSet, AutoEditStartsEditingFromABoundControl)
{
    Fixture f;
    TDataSource src;
    CountingLink link;
    link.SetDataSource(&src);
    src.SetDataSet(&f.ds);
    f.ds.Open();
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(f.ds.State(), DataSetState::Edit);
    f.ds.Cancel();
    src.AutoEdit = false;
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(f.ds.State(), DataSetState::Browse);
}

TEST(DataSet, ClosedSetReadsNullAndRefusesWrites)
{
    Fixture f;
    EXPECT_TRUE(f.value->IsNull());
    EXPECT_EQ(f.value->AsInteger(), 0);
    EXPECT_EQ(f.weight->AsFloat(), 0.0);
    EXPECT_EQ(f.value->AsString(), "");
    f.ds.Open();
    try {
        f.value->SetAsInteger(1);
        FAIL();
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.message(), "Dataset not in edit or insert mode");
    }
}

TEST(DataSet, FieldLookupAndRequiredFields)
{
    Fixture f;
    f.ds.Open();
    EXPECT_EQ(f.ds.FieldByName("value"), f.value);
    EXPECT_EQ(f.ds.FindField("missing"), nullptr);
    try {
        f.ds.FieldByName("Missing");
        FAIL();
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.message(), "Field 'Missing' not found");
    }
    f.weight->Required = true;
    f.ds.Insert();
    try {
        f.ds.Post();
        FAIL();
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.message(), "Field 'Weight' must have a value");
    }
    EXPECT_EQ(f.ds.State(), DataSetState::Insert);
}

TEST(DataSet, BindingChecksNamesAndTypes)
{
    TMemoryDataSet ds;
    ds.addColumn("A", ftInteger);
    auto *wrong = new TStringField(&ds);
    wrong->FieldName = "A";
    wrong->SetDataSet(&ds);
    try {
        ds.Open();
        FAIL();
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.message(), "Type mismatch for field 'A', expecting: String actual: Integer");
    }
    EXPECT_FALSE(ds.Active());
    wrong->FieldName = "B";
    try {
        ds.Open();
        FAIL();
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.message(), "Field 'B' not found");
    }
}

TEST(DataSet, DefaultFieldsLiveWhileOpen)
{
    TMemoryDataSet ds;
    ds.addColumn("Name", ftString, 5);
    ds.addColumn("Born", ftDateTime);
    ds.addRow({"Rossi", 36000.0});
    ds.Open();
    ASSERT_EQ(ds.FieldCount(), 2);
    EXPECT_EQ(ds.FieldByName("Born")->DataType(), ftDateTime);
    ds.Edit();
    ds.FieldByName("Name")->SetAsString("Bianchini");
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "Bianc");
    ds.FieldByName("Name")->SetAsString("");
    EXPECT_TRUE(ds.FieldByName("Name")->IsNull());
    ds.Cancel();
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 0);
}

TEST(DataSet, BookmarksReturnToTheRecord)
{
    Fixture f(30);
    f.ds.Open();
    f.ds.MoveBy(12);
    const TBookmark b = f.ds.GetBookmark();
    f.ds.Last();
    f.ds.GotoBookmark(b);
    EXPECT_EQ(f.value->AsInteger(), 130);
}

TEST(DataSet, BlobsKeepTheirBytesAndMemosTheirText)
{
    TMemoryDataSet ds;
    ds.addColumn("Picture", ftBlob);
    ds.addColumn("Note", ftMemo);
    ds.addRow({QVariant(), QVariant()});
    ds.Open();
    auto *picture = static_cast<TBlobField *>(ds.FieldByName("Picture"));
    auto *note = static_cast<TMemoField *>(ds.FieldByName("Note"));
    const QByteArray bytes("\xff\xd8\x00\x80\xe9 binary", 13);
    ds.Edit();
    picture->SetAsBytes(bytes);
    note->SetAsString(QStringLiteral("città\r\nseconda riga"));
    ds.Post();
    EXPECT_EQ(picture->AsBytes(), bytes);
    EXPECT_EQ(note->AsString(), QStringLiteral("città\r\nseconda riga"));
    EXPECT_EQ(note->DisplayText(), "(MEMO)");
    note->FirstLineOnly = true;
    EXPECT_EQ(note->DisplayText(), QStringLiteral("città"));

    // A shorter write from the start keeps only the new bytes.
    ds.Edit();
    {
        auto stream = ds.CreateBlobStream(note, QIODevice::ReadWrite);
        stream->write("ok");
    }
    EXPECT_EQ(note->AsString(), "ok");
    ds.Cancel();
}

TEST(DataSet, DestroyedWhileASourceIsAttached)
{
    TDataSource src;
    CountingLink link;
    link.SetDataSource(&src);
    {
        Fixture f;
        src.SetDataSet(&f.ds);
        f.ds.Open();
    }
    EXPECT_EQ(src.DataSet(), nullptr);
    EXPECT_FALSE(link.Active());
}

} // namespace

TEST(DataSet, FieldsMoveWithoutTouchingTheirValues)
{
    Fixture f(3);
    TDataSource src;
    CountingLink link;
    link.SetDataSource(&src);
    src.SetDataSet(&f.ds);
    f.ds.Open();
    f.ds.MoveBy(1);
    const QList<TField *> before = f.ds.Fields();
    const int value = f.value->AsInteger();
    const double weight = f.weight->AsFloat();
    link.dataSetChanged = 0;

    f.weight->SetIndex(0);
    EXPECT_EQ(f.weight->Index(), 0);
    EXPECT_EQ(f.ds.Fields().at(1), before.at(0));
    EXPECT_EQ(link.dataSetChanged, 1);
    // Out of range goes to the nearest end; the same place changes nothing.
    f.weight->SetIndex(99);
    EXPECT_EQ(f.weight->Index(), f.ds.FieldCount() - 1);
    f.weight->SetIndex(-5);
    EXPECT_EQ(f.weight->Index(), 0);
    link.dataSetChanged = 0;
    f.weight->SetIndex(0);
    EXPECT_EQ(link.dataSetChanged, 0);
    // Values are found by field, wherever it stands; a post writes them back in place.
    EXPECT_EQ(f.value->AsInteger(), value);
    EXPECT_DOUBLE_EQ(f.weight->AsFloat(), weight);
    f.ds.Edit();
    f.weight->SetAsFloat(12.5);
    f.ds.Post();
    EXPECT_DOUBLE_EQ(f.ds.stored(1, QStringLiteral("Weight")).toDouble(), 12.5);
    EXPECT_EQ(f.ds.stored(1, QStringLiteral("Value")).toInt(), value);
}
