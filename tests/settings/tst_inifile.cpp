#include "settings/inifile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (HasFailure()) {
            m_dir.setAutoRemove(false);
            std::cerr << "kept " << qPrintable(m_dir.path()) << '\n';
        }
    }

    QString path(const QString &name = QStringLiteral("diario.ini")) const { return m_dir.filePath(name); }

    void writeFile(const QByteArray &bytes, const QString &name = QStringLiteral("diario.ini")) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray readFile(const QString &name = QStringLiteral("diario.ini")) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
};

// ---- reading ---------------------------------------------------------------

struct ReadCase
{
    const char *name;
    QByteArray text;
    const char *section;
    const char *key;
    QString expected;
};

class IniReadTest : public IniFileTest, public ::testing::WithParamInterface<ReadCase>
{
};

TEST_P(IniReadTest, ReadString)
{
    const ReadCase &c = GetParam();
    writeFile(c.text);
    const TIniFile ini(path());
    EXPECT_EQ(ini.ReadString(QString::fromLatin1(c.section), QString::fromLatin1(c.key), QStringLiteral("<default>")),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    ::testing::Values(
        ReadCase{"plain", "[S]\nk=v\n", "S", "k", "v"},
        ReadCase{"key_written_in_another_case", "[tfrm_MAIN]\nnormpos=1,2,3,4\n", "Tfrm_main", "NormPos", "1,2,3,4"},
        ReadCase{"first_match_counts", "[S]\nk=1\nK=2\n[s]\nk=3\n", "S", "k", "1"},
        ReadCase{"key_of_another_section", "[A]\nk=1\n[S]\nx=2\n", "S", "k", "<default>"},
        ReadCase{"key_before_any_section", "k=1\n[S]\n", "S", "k", "<default>"},
        ReadCase{"missing_section", "[A]\nk=1\n", "S", "k", "<default>"},
        ReadCase{"crlf_and_blanks_around_equals", "[S]\r\n  k  =  v w  \r\n", "S", "k", "v w"},
        ReadCase{"blanks_in_section_header", "[ S ]\nk=v\n", "S", "k", "v"},
        ReadCase{"empty_value_is_not_missing", "[S]\nk=\n", "S", "k", ""},
        ReadCase{"double_quotes_removed", "[S]\nk=\"a b\"\n", "S", "k", "a b"},
        ReadCase{"single_quotes_removed", "[S]\nk='abc'\n", "S", "k", "abc"},
        ReadCase{"one_pair_only", "[S]\nk=\"'abc'\"\n", "S", "k", "'abc'"},
        ReadCase{"unmatched_quotes_kept", "[S]\nk=\"abc'\n", "S", "k", "\"abc'"},
        ReadCase{"lone_quote_kept", "[S]\nk=\"\n", "S", "k", "\""},
        ReadCase{"comment_is_no_key", "[S]\n;k=v\n", "S", "k", "<default>"},
        ReadCase{"value_with_equals", "[S]\nk=a=b\n", "S", "k", "a=b"},
        ReadCase{"utf8", "[S]\nk=\xc3\xa8 \xe2\x82\xac\n", "S", "k", QStringLiteral("\u00e8 \u20ac")},
        ReadCase{"windows_1252_from_old_file", "[S]\nk=\xe8 \x80\n", "S", "k", QStringLiteral("\u00e8 \u20ac")}),
    [](const ::testing::TestParamInfo<ReadCase> &info) { return std::string(info.param.name); });

TEST_F(IniFileTest, ReadValueIsCutAt2047Characters)
{
    const QByteArray longValue(3000, 'x');
    writeFile("[S]\nk=" + longValue + "\nq=\"" + QByteArray(2047, 'y') + "\"\n");
    const TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("S", "k", QString()), QString(2047, QLatin1Char('x')));
    // The quotes go before the cut, so a quoted value of 2047 survives whole.
    EXPECT_EQ(ini.ReadString("S", "q", QString()), QString(2047, QLatin1Char('y')));
}

TEST_F(IniFileTest, MissingOrUnreadableFileReadsAsEmpty)
{
    const TIniFile missing(path(QStringLiteral("none.ini")));
    EXPECT_EQ(missing.ReadString("S", "k", "d"), "d");
    EXPECT_EQ(missing.ReadInteger("S", "k", 5), 5);
    EXPECT_TRUE(missing.ReadSections().isEmpty());

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.ini"));
    const TIniFile folder(path(QStringLiteral("folder.ini")));
    EXPECT_EQ(folder.ReadString("S", "k", "d"), "d");
}

TEST_F(IniFileTest, SectionsAndKeysAreListedInFileOrder)
{
    writeFile("[A]\nx=1\n;c=2\nY = 2\n[B]\n[A]\nz=3\n");
    const TIniFile ini(path());
    EXPECT_EQ(ini.ReadSections(), QStringList({"A", "B", "A"}));
    EXPECT_EQ(ini.ReadSection("a"), QStringList({"x", "Y"}));
    EXPECT_TRUE(ini.SectionExists("b"));
    EXPECT_FALSE(ini.SectionExists("C"));
    EXPECT_TRUE(ini.ValueExists("A", "y"));
    EXPECT_FALSE(ini.ValueExists("A", "z"));
}

// ---- integers and flags ----------------------------------------------------

struct IntegerCase
{
    const char *name;
    const char *text;
    int expected;
};

class IniIntegerTest : public ::testing::TestWithParam<IntegerCase>
{
};

TEST_P(IniIntegerTest, StrToIntDef)
{
    EXPECT_EQ(TIniFile::StrToIntDef(QString::fromLatin1(GetParam().text), 7), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniIntegerTest,
    ::testing::Values(IntegerCase{"decimal", "42", 42}, IntegerCase{"negative", "-5", -5},
                      IntegerCase{"plus", "+5", 5}, IntegerCase{"hex_0x", "0x1F", 31},
                      IntegerCase{"hex_0X_lower_digits", "0X1f", 31}, IntegerCase{"hex_dollar", "$FF", 255},
                      IntegerCase{"hex_all_bits_is_minus_one", "$FFFFFFFF", -1},
                      IntegerCase{"largest", "2147483647", 2147483647},
                      IntegerCase{"smallest", "-2147483648", -2147483647 - 1},
                      IntegerCase{"overflow", "2147483648", 7}, IntegerCase{"hex_overflow", "0x100000000", 7},
                      IntegerCase{"trailing_garbage", "12abc", 7}, IntegerCase{"fraction", "1.5", 7},
                      IntegerCase{"empty", "", 7}, IntegerCase{"prefix_alone", "0x", 7},
                      IntegerCase{"hex_digits_without_prefix", "1F", 7}, IntegerCase{"sign_alone", "-", 7}),
    [](const ::testing::TestParamInfo<IntegerCase> &info) { return std::string(info.param.name); });

TEST_F(IniFileTest, FlagsAreAnyNonZeroInteger)
{
    writeFile("[S]\nzero=0\none=1\ntwo=2\nminus=-1\nhex=$10\ntext=yes\n");
    const TIniFile ini(path());
    EXPECT_FALSE(ini.ReadBool("S", "zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "one", false));
    EXPECT_TRUE(ini.ReadBool("S", "two", false));
    EXPECT_TRUE(ini.ReadBool("S", "minus", false));
    EXPECT_TRUE(ini.ReadBool("S", "hex", false));
    EXPECT_TRUE(ini.ReadBool("S", "text", true));
    EXPECT_FALSE(ini.ReadBool("S", "text", false));
    EXPECT_TRUE(ini.ReadBool("S", "missing", true));
}

// ---- writing ---------------------------------------------------------------

struct WriteCase
{
    const char *name;
    QByteArray before;
    std::function<void(TIniFile &)> change;
    QByteArray after;
};

class IniWriteTest : public IniFileTest, public ::testing::WithParamInterface<WriteCase>
{
};

TEST_P(IniWriteTest, TextAfterCommit)
{
    const WriteCase &c = GetParam();
    if (!c.before.isNull())
        writeFile(c.before);
    TIniFile ini(path());
    c.change(ini);
    ini.UpdateFile();
    EXPECT_EQ(readFile(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWriteTest,
    ::testing::Values(
        WriteCase{"new_file", QByteArray(), [](TIniFile &i) { i.WriteString("S", "k", "v"); }, "[S]\nk=v\n"},
        WriteCase{"in_place_keeping_the_file_spelling", "[S]\nKey = 1\nz=2\n",
                  [](TIniFile &i) { i.WriteString("s", "KEY", "3"); }, "[S]\nKey=3\nz=2\n"},
        WriteCase{"first_match_replaced", "[S]\nk=1\nk=2\n", [](TIniFile &i) { i.WriteString("S", "k", "3"); },
                  "[S]\nk=3\nk=2\n"},
        WriteCase{"appended_to_its_section", "[A]\na=1\n\n[B]\nb=2\n",
                  [](TIniFile &i) { i.WriteString("A", "c", "3"); }, "[A]\na=1\nc=3\n\n[B]\nb=2\n"},
        WriteCase{"appended_to_empty_section", "[A]\n[B]\nb=2\n", [](TIniFile &i) { i.WriteString("A", "a", "1"); },
                  "[A]\na=1\n[B]\nb=2\n"},
        WriteCase{"section_added_at_end", "[A]\na=1\n", [](TIniFile &i) { i.WriteString("B", "b", "2"); },
                  "[A]\na=1\n[B]\nb=2\n"},
        WriteCase{"crlf_kept", "[A]\r\na=1\r\n", [](TIniFile &i) { i.WriteString("A", "b", "2"); },
                  "[A]\r\na=1\r\nb=2\r\n"},
        WriteCase{"missing_last_line_end", "[A]\na=1", [](TIniFile &i) { i.WriteString("A", "b", "2"); },
                  "[A]\na=1\nb=2\n"},
        WriteCase{"other_lines_untouched", "; note\n[A]\n;c\na=1\nfree text\n",
                  [](TIniFile &i) { i.WriteString("A", "a", "2"); }, "; note\n[A]\n;c\na=2\nfree text\n"},
        WriteCase{"erase_section_with_duplicates", "[A]\na=1\n[B]\nb=2\n[a]\nx=1\n",
                  [](TIniFile &i) { i.EraseSection("A"); }, "[B]\nb=2\n"},
        WriteCase{"erase_then_write_moves_section_to_end", "[G]\ng.x=0,10\n[S]\nk=1\n",
                  [](TIniFile &i) {
                      i.EraseSection("G");
                      i.WriteString("G", "g.y", "0,20");
                  },
                  "[S]\nk=1\n[G]\ng.y=0,20\n"},
        WriteCase{"delete_key", "[A]\na=1\nb=2\n", [](TIniFile &i) { i.DeleteKey("A", "A"); }, "[A]\nb=2\n"},
        WriteCase{"integers_and_flags", QByteArray(),
                  [](TIniFile &i) {
                      i.WriteInteger("S", "i", -12);
                      i.WriteBool("S", "t", true);
                      i.WriteBool("S", "f", false);
                  },
                  "[S]\ni=-12\nt=1\nf=0\n"},
        WriteCase{"quoted_string_rule", QByteArray(),
                  [](TIniFile &i) {
                      i.WriteString("S", "single", "'abc'");
                      i.WriteString("S", "double", "\"abc\"");
                      i.WriteString("S", "mixed", "'abc\"");
                      i.WriteString("S", "inner", "a'b'c");
                      i.WriteString("S", "lone", "'");
                  },
                  "[S]\nsingle=\"'abc'\"\ndouble=\"\"abc\"\"\nmixed='abc\"\ninner=a'b'c\nlone='\n"},
        WriteCase{"line_break_refused", "[S]\nk=1\n",
                  [](TIniFile &i) {
                      i.WriteString("S", "k", "2\n[X]");
                      i.WriteString("S", "a=b", "2");
                      i.WriteString("S]", "k", "2");
                  },
                  "[S]\nk=1\n"}),
    [](const ::testing::TestParamInfo<WriteCase> &info) { return std::string(info.param.name); });

TEST_F(IniFileTest, ValuesSurviveWriteAndRead)
{
    const QStringList values = {"'abc'", "\"abc\"", "'", "\"", "''", "a=b", "x;y", "", QStringLiteral("\u00e8\u20ac")};
    {
        TIniFile ini(path());
        for (int i = 0; i < values.size(); ++i)
            ini.WriteString("S", QStringLiteral("k%1").arg(i), values.at(i));
        ini.UpdateFile();
    }
    const TIniFile ini(path());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(ini.ReadString("S", QStringLiteral("k%1").arg(i), "<missing>"), values.at(i)) << i;
}

// ---- committing ------------------------------------------------------------

TEST_F(IniFileTest, ChangesReachTheFileOnlyOnCommit)
{
    writeFile("[S]\nk=1\n");
    {
        TIniFile ini(path());
        ini.WriteString("S", "k", "2");
        EXPECT_EQ(ini.ReadString("S", "k", QString()), "2");
        EXPECT_EQ(readFile(), "[S]\nk=1\n");
    }
    EXPECT_EQ(readFile(), "[S]\nk=1\n") << "discarded without UpdateFile";

    TIniFile ini(path());
    ini.WriteString("S", "k", "1");
    EXPECT_FALSE(ini.Modified()) << "the same value changes nothing";

    const TIniFile reader(path(QStringLiteral("new.ini")));
    const_cast<TIniFile &>(reader).UpdateFile();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("new.ini")))) << "reading alone creates no file";
}

struct FailureCase
{
    const char *name;
    // Prepares the directory and returns the file to write; may set up a
    // limit that the teardown lifts.
    std::function<QString(const QTemporaryDir &)> prepare;
};

class IniWriteFailureTest : public IniFileTest, public ::testing::WithParamInterface<FailureCase>
{
protected:
    void TearDown() override
    {
        ::setrlimit(RLIMIT_FSIZE, &m_savedLimit);
        std::signal(SIGXFSZ, SIG_DFL);
        IniFileTest::TearDown();
    }
    void SetUp() override { ::getrlimit(RLIMIT_FSIZE, &m_savedLimit); }
    rlimit m_savedLimit{};
};

TEST_P(IniWriteFailureTest, RaisesAndLeavesTheOldFile)
{
    const QString file = GetParam().prepare(m_dir);
    const QStringList entriesBefore = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QByteArray before = QFile::exists(file) ? readFile(QFileInfo(file).fileName()) : QByteArray();

    TIniFile ini(file);
    ini.WriteString("Tfrm_main", "NormPos", QString(200, QLatin1Char('1')));
    try {
        ini.UpdateFile();
        FAIL() << "no error raised";
    } catch (const EIniFileException &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unable to write to ") + file);
    }
    ::setrlimit(RLIMIT_FSIZE, &m_savedLimit);

    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entriesBefore)
        << "no temporary file left behind";
    if (QFileInfo(file).isFile()) {
        EXPECT_EQ(readFile(QFileInfo(file).fileName()), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWriteFailureTest,
    ::testing::Values(
        FailureCase{"missing_folder", [](const QTemporaryDir &dir) { return dir.filePath("none/diario.ini"); }},
        FailureCase{"name_taken_by_a_folder",
                    [](const QTemporaryDir &dir) {
                        QDir(dir.path()).mkdir("diario.ini");
                        return dir.filePath("diario.ini");
                    }},
        // A file size limit fails the write like a full disk, also for root.
        FailureCase{"disk_full",
                    [](const QTemporaryDir &dir) {
                        QFile file(dir.filePath("diario.ini"));
                        if (file.open(QIODevice::WriteOnly))
                            file.write("[Tfrm_main]\nFormVersion=0\n");
                        file.close();
                        std::signal(SIGXFSZ, SIG_IGN);
                        rlimit limit{};
                        ::getrlimit(RLIMIT_FSIZE, &limit);
                        limit.rlim_cur = 64;
                        ::setrlimit(RLIMIT_FSIZE, &limit);
                        return dir.filePath("diario.ini");
                    }}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

} // namespace
