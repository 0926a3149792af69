#pragma once
// A diary-like list for the grid tests: the diary's fields over in-memory
// tables, a main window named like the diary's, and the list grid set up as
// the list page sets it up. The diary table counts the calls to RecordCount
// and RecNo (both walk the whole filtered table) next to the storage
// fetches the in-memory table records.

#include "app/diarymodel.h"
#include "grid/colors.h"
#include "data/datasource.h"
#include "core/formatsettings.h"
#include "grid/exrichdbgrid.h"
#include "tests/data/memorydataset.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QMap>
#include <QWidget>

#include <memory>

namespace gridtest {

// Named like the diary's window; the namespace must not reach the INI section.
class Tfrm_main : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

class CountingDataSet : public TMemoryDataSet
{
public:
    using TMemoryDataSet::TMemoryDataSet;
    mutable int recordCountCalls = 0;
    mutable int recNoCalls = 0;
    int RecordCount() const override
    {
        ++recordCountCalls;
        return TMemoryDataSet::RecordCount();
    }
    int RecNo() const override
    {
        ++recNoCalls;
        return TMemoryDataSet::RecNo();
    }
    void SetRecNo(int value) override
    {
        const int now = TMemoryDataSet::RecNo();
        if (now > 0 && value > 0) MoveBy(value - now);
    }
    int fetches() const { return int(calls.filter(QStringLiteral("fetch")).size()); }
};

// An indexed table as the grid sees one (the built-in sort, the search box):
// named indexes over fields, the current index as the property "IndexName",
// and Locate with a partial key over the rows in stored order (the tests
// add them in key order).
class IndexedTable : public CountingDataSet
{
    Q_OBJECT
    Q_PROPERTY(QString IndexName READ IndexName WRITE SetIndexName)
public:
    using CountingDataSet::CountingDataSet;
    QStringList indexes;
    QString primaryFields;               // the fields of "PrimaryKey" and "Primary"
    QMap<QString, QString> indexFields;  // the fields of the other indexes
    QStringList locates;                 // the keys sought, in order

    QString IndexName() const { return m_index; }
    void SetIndexName(const QString &value)
    {
        if (!value.isEmpty() && !indexes.contains(value)) throw EDatabaseError(QStringLiteral("Index not found"));
        m_index = value;
    }
    Q_INVOKABLE QStringList IndexNames() const { return indexes; }
    Q_INVOKABLE QString IndexFieldNames(const QString &index) const
    {
        return index.startsWith(QLatin1String("Primary")) ? primaryFields : indexFields.value(index);
    }

    bool Locate(const QString &keyFields, const QVariant &keyValues, int options = 0) override
    {
        const QString key = keyValues.toString();
        locates << key;
        TField *field = FieldByName(keyFields);
        const auto cs = options & int(TLocateOption::CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const bool partial = options & int(TLocateOption::PartialKey);
        CheckBrowseMode();
        const TBookmark here = GetBookmark();
        DisableControls();
        bool found = false;
        for (First(); !Eof(); Next()) {
            const QString value = field->AsString();
            if (partial ? value.startsWith(key, cs) : value.compare(key, cs) == 0) {
                found = true;
                break;
            }
        }
        if (!found && !here.isEmpty()) GotoBookmark(here);
        EnableControls();
        return found;
    }

private:
    QString m_index;
};

// Records every cell text the grid draws, with where and how.
class RecordingGrid : public TExRichDBGrid
{
public:
    using TExRichDBGrid::TExRichDBGrid;
    struct Text
    {
        QRect rect;
        QString text;
        Qt::Alignment alignment;
    };
    QList<Text> texts;

    // The text drawn in a data cell (grid column, grid row), or a null string.
    QString textAt(int col, int row, Qt::Alignment *alignment = nullptr) const
    {
        const QRect cell = CellRect(col, row);
        for (const Text &t : texts)
            if (cell.contains(t.rect.topLeft())) {
                if (alignment) *alignment = t.alignment;
                return t.text;
            }
        return QString();
    }
    using TCustomDBGrid::RowTop;

protected:
    void drawText(QPainter &painter, const QRect &textRect, const QString &text, Qt::Alignment alignment) override
    {
        texts.append({textRect, text, alignment});
        TExRichDBGrid::drawText(painter, textRect, text, alignment);
    }
};

inline void useDiaryFonts()
{
    // As the program does at start-up: Arial metrics for the 17-pixel rows.
    for (const char *family : {"Arial", "Microsoft Sans Serif", "MS Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(family), QStringLiteral("Liberation Sans"));
    TFormatSettings it;
    if (TFormatSettings::forLocale(QStringLiteral("it_IT"), it)) TFormatSettings::setCurrent(it);
}

inline QFont diaryFont()
{
    QFont f(QStringLiteral("Microsoft Sans Serif"));
    f.setPixelSize(11);
    return f;
}

// A grid set up like the diary's list: read-only, title buttons, 17-pixel
// rows in alternating colours, a navy selection, the diary's six columns.
inline void configureDiaryGrid(TExRichDBGrid *grid)
{
    grid->SetOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgCancelOnExit);
    grid->SetReadOnly(true);
    grid->SetTitleButtons(true);
    grid->SetScrollBars(TScrollStyle::ssHorizontal);
    grid->SetBorderStyle(TBorderStyle::bsNone);
    grid->SetTitleFont(diaryFont());
    grid->SetDefaultRowHeight(17);
    grid->SetRowColor1(clBtnFace);
    grid->SetRowColor2(clWindow);
    grid->SetUseRowColors(true);
    grid->SetHighlightColor(clNavy);
    grid->SetHighlightFontColor(clWhite);
    const struct
    {
        const char *field;
        const char *title;
    } columns[] = {{"Data", nullptr}, {"Peso", nullptr}, {"BMI", nullptr},
                   {"MIN", "Minima"}, {"MAX", "Massima"}, {"Note", nullptr}};
    for (const auto &c : columns) {
        TColumn *column = grid->Columns().Add();
        column->SetFieldName(QString::fromLatin1(c.field));
        if (c.title) column->Title()->SetCaption(QString::fromLatin1(c.title));
    }
    grid->Columns()[5]->SetWidth(500);
}

struct DiaryList
{
    std::unique_ptr<Tfrm_main> window = std::make_unique<Tfrm_main>();
    CountingDataSet *diario = new CountingDataSet(window.get());
    TMemoryDataSet *intesta = new TMemoryDataSet(window.get());
    TDiaryModel *model = nullptr;
    TDataSource *ds_diario = new TDataSource(window.get());
    RecordingGrid *grid = new RecordingGrid(window.get());

    DiaryList()
    {
        window->setFont(diaryFont());
        diario->setObjectName(QStringLiteral("Diario"));
        intesta->setObjectName(QStringLiteral("Intesta"));
        diario->addColumn(QStringLiteral("ID_Diario"), ftAutoInc);
        diario->addColumn(QStringLiteral("Data"), ftDateTime);
        for (const char *n : {"SX_MIN_1", "SX_MAX_1", "SX_PULS_1", "DX_MIN_1", "DX_MAX_1", "DX_PULS_1", "SX_MIN_2",
                              "SX_MAX_2", "SX_PULS_2", "DX_MIN_2", "DX_MAX_2", "DX_PULS_2"})
            diario->addColumn(QString::fromLatin1(n), ftInteger);
        diario->addColumn(QStringLiteral("Peso"), ftFloat);
        diario->addColumn(QStringLiteral("Note"), ftMemo);
        intesta->addColumn(QStringLiteral("Nome"), ftString, 255);
        intesta->addColumn(QStringLiteral("Data_Nascita"), ftDateTime);
        intesta->addColumn(QStringLiteral("Altezza"), ftFloat);
        intesta->addColumn(QStringLiteral("Terapia"), ftMemo);
        intesta->addColumn(QStringLiteral("Data_terapia"), ftDateTime);
        model = new TDiaryModel(window.get(), diario, intesta);
        model->attach();
        intesta->addRow({QStringLiteral("Rossi Mario"), 20000.0, 1.75, QVariant(), QVariant()});
        ds_diario->SetDataSet(diario);

        grid->setObjectName(QStringLiteral("grid_diario"));
        configureDiaryGrid(grid);
        grid->SetDataSource(ds_diario);
    }

    ~DiaryList()
    {
        // A dataset destroyed with a source attached calls its storage from
        // the base destructor; detach first.
        ds_diario->SetDataSet(nullptr);
    }

    // Days from 1 January 2024 on, with readings that vary from day to day.
    void addDays(int count, int from = 0)
    {
        for (int i = from; i < from + count; ++i) {
            QList<QVariant> v(16);
            v[1] = 45292.0 + i;
            v[2] = 70 + i % 20;   // SX_MIN_1
            v[3] = 120 + i % 30;  // SX_MAX_1
            v[4] = 60 + i % 15;   // SX_PULS_1
            v[14] = 70.0 + (i % 10) / 2.0;
            v[15] = i % 3 ? QVariant() : QVariant(QStringLiteral("passeggiata di un'ora"));
            diario->addRow(v);
        }
    }

    // A window tall enough for `rows` data rows under the title.
    void show(int rows, int width = 1100)
    {
        window->resize(width, 18 + rows * 18);
        grid->setGeometry(0, 0, width, 18 + rows * 18);
        window->show();
        QCoreApplication::processEvents();
    }

    void open()
    {
        intesta->Open();
        diario->Open();
        // The scroll area shows or hides its bars on a queued call.
        QCoreApplication::processEvents();
    }

    QImage shot()
    {
        QCoreApplication::processEvents();
        grid->texts.clear();
        return grid->grab().toImage();
    }
};

// A point inside a data cell that no text reaches (the cell's top-left inset).
inline QPoint fillPoint(const TCustomDBGrid &grid, int col, int row)
{
    const QRect r = grid.CellRect(col, row);
    return r.topLeft() + QPoint(1, 1);
}

} // namespace gridtest
