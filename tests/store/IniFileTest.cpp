#include "store/IniFile.h"

#include "store/DayCount.h"
#include "support/ScratchDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

#include <iostream>

namespace {

using store::IniFile;

// CP932 bytes of the Japanese names used below, as Windows writes them.
const QByteArray kOwari = QByteArray::fromHex("8f4997b9");         // 終了
const QByteArray kGame = QByteArray::fromHex("8351815b8380");      // ゲーム (trail byte 0x5B)
const QByteArray kSoft = QByteArray::fromHex("835c83748367");      // ソフト (trail byte 0x5C)
const QByteArray kHyouji = QByteArray::fromHex("955c8ea6");        // 表示
const QByteArray kTitle = QByteArray::fromHex("835e83438367838b"); // タイトル
const QByteArray kCamera = QByteArray::fromHex("834a83818389");    // カメラ
const QByteArray kPrice = QByteArray::fromHex("8cbb8ddd89bf8a69"); // 現在価格
const QByteArray kYen = QByteArray::fromHex("897e");               // 円

std::string Hex(const QByteArray& bytes)
{
    return bytes.toHex(' ').toStdString();
}

std::string Std(const QString& text)
{
    return text.toStdString();
}

QByteArray Join(const QList<QByteArray>& lines, const QByteArray& end)
{
    QByteArray joined;
    for (const QByteArray& line : lines)
        joined += line + end;
    return joined;
}

// The lines of a file as the Windows program writes it, without their line ends.
QList<QByteArray> WindowsLines()
{
    return {"[" + kOwari + "]",
            kTitle + "=" + kCamera + " No3 ",
            kPrice + "=12,345" + kYen,
            "URL=https://x/?a=1&b=2",
            "[" + kGame + "]",
            kSoft + "=" + kHyouji,
            "Count=3"};
}

void ExpectWindowsContent(const IniFile& ini)
{
    EXPECT_EQ(ini.Sections(), QStringList({QStringLiteral("終了"), QStringLiteral("ゲーム")}));
    EXPECT_EQ(Std(ini.ReadString(QStringLiteral("終了"), QStringLiteral("タイトル"))),
              Std(QStringLiteral("カメラ No3 ")));
    EXPECT_EQ(Std(ini.ReadString(QStringLiteral("終了"), QStringLiteral("現在価格"))),
              Std(QStringLiteral("12,345円")));
    EXPECT_EQ(Std(ini.ReadString(QStringLiteral("終了"), QStringLiteral("URL"))), "https://x/?a=1&b=2");
    EXPECT_EQ(Std(ini.ReadString(QStringLiteral("ゲーム"), QStringLiteral("ソフト"))),
              Std(QStringLiteral("表示")));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("ゲーム"), QStringLiteral("Count"), -1), 3);
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("終了"), QStringLiteral("Count")));
}

TEST(IniRead, WindowsFilesInEveryLayoutReadTheSame)
{
    const QByteArray canonical = Join(WindowsLines(), "\r\n");
    QByteArray mixed;
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (int i = 0; i < WindowsLines().size(); ++i)
        mixed += WindowsLines()[i] + ends[i % 3];
    QList<QByteArray> spaced;
    for (const QByteArray& line : WindowsLines())
        spaced << QByteArray() << "  \t" << (line.startsWith('[') ? "  " + line + "\t" : line);

    const struct {
        const char* name;
        QByteArray bytes;
    } layouts[] = {
        {"CR LF", canonical},
        {"LF", Join(WindowsLines(), "\n")},
        {"CR", Join(WindowsLines(), "\r")},
        {"mixed", mixed},
        {"blank lines", Join(spaced, "\r\n") + "\r\n\r\n"},
        {"no final line end", canonical.chopped(2)},
        {"text before the first section", "junk line\r\norphan=1\r\n" + canonical},
        {"byte order mark", "\xEF\xBB\xBF" + canonical},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const IniFile ini = IniFile::FromBytes(layout.bytes);
        ExpectWindowsContent(ini);
        EXPECT_EQ(Hex(ini.ToBytes()), Hex(canonical));
    }
}

TEST(IniRead, NamesMatchInAnyLetterCase)
{
    IniFile ini = IniFile::FromBytes("[Settei]\r\n Title =x\r\nStartUp=1\r\n[" +
                                     QByteArray::fromHex("826082618262") + "]\r\nk=v\r\n");
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("SETTEI")));
    EXPECT_EQ(Std(ini.ReadString(QStringLiteral("settei"), QStringLiteral("TITLE"))), "x");
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("sETTEI"), QStringLiteral("startup"), false));
    // Full-width letters fold as well: ＡＢＣ is found as ａｂｃ.
    EXPECT_EQ(Std(ini.ReadString(QStringLiteral("ａｂｃ"), QStringLiteral("K"))), "v");
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("ABC")));

    ini.WriteString(QStringLiteral("SETTEI"), QStringLiteral("TITLE"), QStringLiteral("y"));
    ini.WriteInteger(QStringLiteral("settei"), QStringLiteral("startup"), 0);
    EXPECT_EQ(Hex(ini.ToBytes()), Hex("[Settei]\r\nTitle=y\r\nStartUp=0\r\n[" +
                                      QByteArray::fromHex("826082618262") + "]\r\nk=v\r\n"));
}

TEST(IniRead, ByteOrderMarkBeforeUtf8OrCp932)
{
    // After a byte order mark, text that is valid UTF-8 beyond ASCII is read as UTF-8;
    // anything else stays CP932. Either way the file is written back as CP932.
    const IniFile utf8 = IniFile::FromBytes("\xEF\xBB\xBF[" + QStringLiteral("終了").toUtf8() +
                                            "]\r\nk=" + QStringLiteral("表示").toUtf8() + "\r\n");
    EXPECT_EQ(Std(utf8.ReadString(QStringLiteral("終了"), QStringLiteral("k"))), Std(QStringLiteral("表示")));
    EXPECT_EQ(Hex(utf8.ToBytes()), Hex("[" + kOwari + "]\r\nk=" + kHyouji + "\r\n"));

    const IniFile ascii = IniFile::FromBytes("\xEF\xBB\xBF[A]\nk=v\n");
    EXPECT_EQ(Hex(ascii.ToBytes()), Hex("[A]\r\nk=v\r\n"));
}

TEST(IniWrite, NewDocumentIsCanonicalCp932)
{
    IniFile ini = IniFile::FromBytes({});
    ini.WriteString(QStringLiteral("終了"), QStringLiteral("タイトル"), QStringLiteral("カメラ"));
    ini.WriteInteger(QStringLiteral("終了"), QStringLiteral("Price"), -2147483647 - 1);
    ini.WriteBool(QStringLiteral("終了"), QStringLiteral("On"), true);
    ini.WriteBool(QStringLiteral("終了"), QStringLiteral("Off"), false);
    ini.WriteDateTime(QStringLiteral("Total"), QStringLiteral("End"),
                      store::DayCountFromText(QStringLiteral("2024/03/05 9:07:00")));
    ini.WriteDateTime(QStringLiteral("Total"), QStringLiteral("Day"),
                      store::DayCountFromText(QStringLiteral("2024/03/05")));
    ini.WriteString(QStringLiteral("Total"), QStringLiteral("Empty"), {});
    EXPECT_TRUE(ini.IsModified());

    const QByteArray expected = QByteArray::fromHex("5b 8f4997b9 5d 0d0a"
                                                    "835e83438367838b 3d 834a83818389 0d0a") +
                                "Price=-2147483648\r\nOn=1\r\nOff=0\r\n"
                                "[Total]\r\nEnd=2024/03/05 9:07:00\r\nDay=2024/03/05\r\nEmpty=\r\n";
    EXPECT_EQ(Hex(ini.ToBytes()), Hex(expected));
    EXPECT_EQ(Hex(IniFile::FromBytes(expected).ToBytes()), Hex(expected));
}

TEST(IniWrite, NewNamesGoWhereTheyWereFirstWritten)
{
    IniFile ini = IniFile::FromBytes("[A]\r\na1=1\r\n[B]\r\nb1=1\r\n");
    ini.WriteString(QStringLiteral("C"), QStringLiteral("c1"), QStringLiteral("1"));
    ini.WriteString(QStringLiteral("A"), QStringLiteral("a2"), QStringLiteral("2"));
    ini.WriteString(QStringLiteral("D"), QStringLiteral("d1"), QStringLiteral("1"));
    ini.WriteString(QStringLiteral("a"), QStringLiteral("A1"), QStringLiteral("changed"));
    ini.WriteString(QStringLiteral("C"), QStringLiteral("c2"), QStringLiteral("2"));
    EXPECT_EQ(Hex(ini.ToBytes()),
              Hex("[A]\r\na1=changed\r\na2=2\r\n[B]\r\nb1=1\r\n[C]\r\nc1=1\r\nc2=2\r\n[D]\r\nd1=1\r\n"));

    IniFile same = IniFile::FromBytes("[A]\r\na1=1\r\n");
    same.WriteInteger(QStringLiteral("A"), QStringLiteral("a1"), 1);
    EXPECT_FALSE(same.IsModified());
}

TEST(IniWrite, RemovingKeysAndSections)
{
    IniFile ini = IniFile::FromBytes("[A]\r\nx=1\r\ny=2\r\nX=3\r\n[B]\r\nz=1\r\n[a]\r\nx=4\r\n[C]\r\n");
    ini.DeleteKey(QStringLiteral("A"), QStringLiteral("nothing"));
    ini.DeleteKey(QStringLiteral("none"), QStringLiteral("x"));
    ini.EraseSection(QStringLiteral("none"));
    EXPECT_FALSE(ini.IsModified());

    // A duplicate further down must not take the place of a deleted key.
    ini.DeleteKey(QStringLiteral("a"), QStringLiteral("X"));
    EXPECT_TRUE(ini.IsModified());
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("A"), QStringLiteral("x")));
    EXPECT_EQ(Hex(ini.ToBytes()), Hex("[A]\r\ny=2\r\n[B]\r\nz=1\r\n[a]\r\nx=4\r\n[C]\r\n"));

    ini.EraseSection(QStringLiteral("A"));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("a")));
    ini.EraseSection(QStringLiteral("C"));
    EXPECT_EQ(Hex(ini.ToBytes()), Hex("[B]\r\nz=1\r\n"));
}

TEST(IniWrite, SectionLinesAndAppendedSections)
{
    IniFile ini = IniFile::FromBytes("[List]\r\n3=c\r\n1=a=b\r\nno equals\r\n 2 = b \r\n[Other]\r\nq=1\r\n");
    EXPECT_EQ(ini.SectionLines(QStringLiteral("list")),
              QStringList({QStringLiteral("3=c"), QStringLiteral("1=a=b"), QStringLiteral("2= b ")}));
    EXPECT_TRUE(ini.SectionLines(QStringLiteral("none")).isEmpty());

    ini.AppendSection(QStringLiteral("List"),
                      {QStringLiteral("9=z"), QStringLiteral("junk"), QStringLiteral("9=y")});
    EXPECT_EQ(ini.Sections(), QStringList({QStringLiteral("List"), QStringLiteral("Other")}));
    EXPECT_EQ(ini.SectionLines(QStringLiteral("List")).size(), 3);
    EXPECT_EQ(Hex(ini.ToBytes()),
              Hex("[List]\r\n3=c\r\n1=a=b\r\n2= b \r\n[Other]\r\nq=1\r\n[List]\r\n9=z\r\n9=y\r\n"));
}

TEST(IniWrite, WhatCp932CannotHoldIsAQuestionMarkAndLineBreaksStayInTheirLine)
{
    IniFile ini = IniFile::FromBytes({});
    ini.WriteString(QStringLiteral("S"), QStringLiteral("Title"), QStringLiteral("カメラ😀円€!"));
    ini.WriteString(QStringLiteral("S"), QStringLiteral("Note"), QStringLiteral("a\r\n[B]\nb=c"));
    EXPECT_EQ(Hex(ini.ToBytes()), Hex("[S]\r\nTitle=" + kCamera + "?" + kYen + "?!\r\nNote=a  [B] b=c\r\n"));
    const IniFile reread = IniFile::FromBytes(ini.ToBytes());
    EXPECT_EQ(reread.Sections(), QStringList(QStringLiteral("S")));
}

TEST(IniNumbers, IntegersBoolsAndDates)
{
    const IniFile ini = IniFile::FromBytes("[N]\r\nmax=2147483647\r\nmin=-2147483648\r\nover=2147483648\r\n"
                                           "under=-2147483649\r\nhuge=99999999999999999999999\r\nplus=+12\r\n"
                                           "blanks= 7 \r\ntail=12abc\r\nhex=0x10\r\nempty=\r\nsign=-\r\n"
                                           "zero=-0\r\nwide=" +
                                           QByteArray::fromHex("8250") +
                                           "\r\n"
                                           "true=true\r\nwhen=2024/3/5 9:07\r\nbad=2024/02/30\r\n");
    const QString n = QStringLiteral("N");
    const auto integer = [&](const char* key) { return ini.ReadInteger(n, QString::fromLatin1(key), 42); };
    EXPECT_EQ(integer("max"), 2147483647);
    EXPECT_EQ(integer("min"), -2147483647 - 1);
    EXPECT_EQ(integer("plus"), 12);
    EXPECT_EQ(integer("blanks"), 7);
    EXPECT_EQ(integer("zero"), 0);
    for (const char* key :
         {"over", "under", "huge", "tail", "hex", "empty", "sign", "wide", "true", "missing"})
        EXPECT_EQ(integer(key), 42) << key;

    EXPECT_TRUE(ini.ReadBool(n, QStringLiteral("max"), false));
    EXPECT_TRUE(ini.ReadBool(n, QStringLiteral("min"), false));
    EXPECT_FALSE(ini.ReadBool(n, QStringLiteral("zero"), true));
    for (const bool fallback : {false, true}) {
        for (const char* key : {"true", "over", "empty", "missing"})
            EXPECT_EQ(ini.ReadBool(n, QString::fromLatin1(key), fallback), fallback) << key;
    }

    EXPECT_EQ(store::DayCountToText(ini.ReadDateTime(n, QStringLiteral("when"))),
              QStringLiteral("2024/03/05 9:07:00"));
    EXPECT_EQ(ini.ReadDateTime(n, QStringLiteral("bad")), 0);
    EXPECT_EQ(ini.ReadDateTime(n, QStringLiteral("missing")), 0);
}

TEST(IniBadInput, DamagedFilesKeepEverythingElse)
{
    // Invalid CP932 (a lone lead byte before the line end, bytes no table holds) and NUL bytes.
    const QByteArray damaged = "[A]\r\nbad=x" + QByteArray::fromHex("81") +
                               "\r\nworse=" + QByteArray::fromHex("fffd") + "\r\nnul=a" +
                               QByteArray(2, '\0') + "b\r\n[" + kGame + "]\r\nok=" + kHyouji + "\r\n";
    IniFile ini = IniFile::FromBytes(damaged);
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("nul")).size(), 4);
    EXPECT_EQ(Std(ini.ReadString(QStringLiteral("ゲーム"), QStringLiteral("ok"))),
              Std(QStringLiteral("表示")));
    ini.WriteString(QStringLiteral("A"), QStringLiteral("new"), QStringLiteral("1"));
    const QByteArray rewritten = ini.ToBytes();
    EXPECT_TRUE(rewritten.startsWith("[A]\r\nbad=x?\r\nworse="));
    EXPECT_TRUE(rewritten.endsWith("\r\nnul=a" + QByteArray(2, '\0') + "b\r\nnew=1\r\n[" + kGame +
                                   "]\r\nok=" + kHyouji + "\r\n"))
        << Hex(rewritten);

    // A section named twice: reads and writes reach the first, both are kept in their order.
    IniFile twice = IniFile::FromBytes("[S]\r\nk=1\r\nk=2\r\n[T]\r\n[s]\r\nk=3\r\nj=4\r\n");
    EXPECT_EQ(twice.ReadInteger(QStringLiteral("S"), QStringLiteral("k"), 0), 1);
    EXPECT_FALSE(twice.ValueExists(QStringLiteral("S"), QStringLiteral("j")));
    twice.WriteString(QStringLiteral("s"), QStringLiteral("j"), QStringLiteral("5"));
    EXPECT_EQ(Hex(twice.ToBytes()), Hex("[S]\r\nk=1\r\nk=2\r\nj=5\r\n[T]\r\n[s]\r\nk=3\r\nj=4\r\n"));
    EXPECT_EQ(twice.Sections(), QStringList({QStringLiteral("S"), QStringLiteral("T")}));

    // Odd lines: an unclosed bracket, a lone bracket, an empty name, an empty key.
    const IniFile odd = IniFile::FromBytes("[A\r\n[\r\n[]\r\n=v\r\n[ B ]\r\nk=1\r\n");
    EXPECT_EQ(odd.Sections(), QStringList({QString(), QStringLiteral("B")}));
    EXPECT_EQ(odd.ReadInteger(QStringLiteral("b"), QStringLiteral("k"), 0), 1);

    EXPECT_TRUE(IniFile::FromBytes({}).Sections().isEmpty());
    EXPECT_TRUE(IniFile::FromBytes(QByteArray(1000, '\0')).ToBytes().isEmpty());
}

TEST(IniBadInput, MegabyteLinesParse)
{
    QByteArray text;
    for (int i = 0; i < 250'000; ++i)
        text += kOwari;
    const QByteArray bytes =
        "[A]\r\nlong=" + text + "\r\n" + QByteArray(1 << 20, '\xff') + "\r\n[B]\r\nk=1\r\n";
    const IniFile ini = IniFile::FromBytes(bytes);
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("long")).size(), 500'000);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("B"), QStringLiteral("k"), 0), 1);
    EXPECT_EQ(ini.ToBytes(), "[A]\r\nlong=" + text + "\r\n[B]\r\nk=1\r\n");
}

TEST(IniSave, SavedFileReadsBackWithoutLeftovers)
{
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("Total.ini"));
    IniFile ini(path);
    EXPECT_FALSE(ini.Existed());
    ini.WriteString(QStringLiteral("終了"), QStringLiteral("タイトル"), QStringLiteral("カメラ"));
    ASSERT_TRUE(ini.Save());
    EXPECT_FALSE(ini.IsModified());
    EXPECT_EQ(dir.listFiles(), QStringList(QStringLiteral("Total.ini")));

    IniFile reread(path);
    EXPECT_TRUE(reread.Existed());
    EXPECT_EQ(Hex(reread.ToBytes()), Hex(ini.ToBytes()));
    reread.WriteString(QStringLiteral("終了"), QStringLiteral("タイトル"), QStringLiteral("レンズ"));
    ASSERT_TRUE(reread.Save());
    EXPECT_EQ(Std(IniFile(path).ReadString(QStringLiteral("終了"), QStringLiteral("タイトル"))),
              Std(QStringLiteral("レンズ")));
    EXPECT_EQ(dir.listFiles(), QStringList(QStringLiteral("Total.ini")));
}

TEST(IniSave, UnwritablePlacesFailAndDisturbNothing)
{
    testsupport::ScratchDir dir;
    // A folder where the file should be.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Total.ini")));
    QFile inside(dir.file(QStringLiteral("Total.ini/keep.txt")));
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly) && inside.write("kept") == 4);
    inside.close();
    IniFile folder(dir.file(QStringLiteral("Total.ini")));
    EXPECT_FALSE(folder.Existed());
    EXPECT_TRUE(folder.Sections().isEmpty());
    folder.WriteInteger(QStringLiteral("A"), QStringLiteral("k"), 1);
    EXPECT_FALSE(folder.Save());

    // A file in a folder that is not there, and a document without a path.
    IniFile missing(dir.file(QStringLiteral("gone/Total.ini")));
    missing.WriteInteger(QStringLiteral("A"), QStringLiteral("k"), 1);
    EXPECT_FALSE(missing.Save());
    IniFile nowhere = IniFile::FromBytes("[A]\r\n");
    nowhere.WriteInteger(QStringLiteral("A"), QStringLiteral("k"), 1);
    EXPECT_FALSE(nowhere.Save());

    EXPECT_EQ(dir.listFiles(), QStringList(QStringLiteral("Total.ini/keep.txt")));
    ASSERT_TRUE(inside.open(QIODevice::ReadOnly));
    EXPECT_EQ(inside.readAll(), "kept");
}

TEST(IniSave, ReadOnlyFolderKeepsTheOldFile)
{
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("Settei1.ini"));
    IniFile old = IniFile::FromBytes("[A]\r\nk=old\r\n", path);
    ASSERT_TRUE(old.Save());
    // Folder permissions do not bind root; an immutable folder does.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), dir.path()}), 0);
    }
    IniFile ini(path);
    ini.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("new"));
    EXPECT_FALSE(ini.Save());
    if (root)
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), dir.path()});
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(Std(IniFile(path).ReadString(QStringLiteral("A"), QStringLiteral("k"))), "old");
    EXPECT_EQ(dir.listFiles(), QStringList(QStringLiteral("Settei1.ini")));
}

// A category file of several KB whose every value differs with the letter.
QByteArray CategoryFile(char letter)
{
    IniFile ini = IniFile::FromBytes({});
    for (int slot = 1; slot <= 60; ++slot) {
        const QString section = QStringLiteral("品目%1").arg(slot);
        ini.WriteString(section, QStringLiteral("タイトル"),
                        QStringLiteral("カメラ %1 %2").arg(letter).arg(slot));
        ini.WriteInteger(section, QStringLiteral("Price"), slot * 1000 + letter);
        ini.WriteString(section, QStringLiteral("Memo"), QString(40, QChar::fromLatin1(letter)));
    }
    return ini.ToBytes();
}

TEST(IniCrashSafety, KilledRewriteLeavesTheOldOrTheNewContent)
{
    testsupport::ScratchDir sources;
    testsupport::ScratchDir target;
    const QByteArray contents[] = {CategoryFile('A'), CategoryFile('B')};
    ASSERT_GT(contents[0].size(), 4000);
    const QString path = target.file(QStringLiteral("Settei1.ini"));
    ASSERT_TRUE(IniFile::FromBytes(contents[0], sources.file(QStringLiteral("a.ini"))).Save());
    ASSERT_TRUE(IniFile::FromBytes(contents[1], sources.file(QStringLiteral("b.ini"))).Save());
    ASSERT_TRUE(IniFile::FromBytes(contents[0], path).Save());

    const quint32 seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    QRandomGenerator random(seed);
    int seen[2] = {0, 0};
    int rounds = 0;
    QElapsedTimer clock;
    clock.start();
    for (; rounds < 200 && clock.elapsed() < 20'000; ++rounds) {
        QProcess rewriter;
        rewriter.start(QString::fromLocal8Bit(INI_REWRITER),
                       {path, sources.file(QStringLiteral("a.ini")), sources.file(QStringLiteral("b.ini"))});
        ASSERT_TRUE(rewriter.waitForReadyRead(10'000)) << Std(rewriter.errorString());
        // Long enough for a few saves even in a slow (sanitizer) build.
        QThread::usleep(random.bounded(30'000));
        rewriter.kill();
        ASSERT_TRUE(rewriter.waitForFinished(10'000));
        // It must have died of the kill, not given up on a failed save.
        ASSERT_EQ(rewriter.exitStatus(), QProcess::CrashExit)
            << rewriter.readAllStandardError().toStdString();

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "round " << rounds;
        const QByteArray now = file.readAll();
        const int which = now == contents[0] ? 0 : now == contents[1] ? 1 : -1;
        ASSERT_NE(which, -1) << "round " << rounds << ": " << now.size() << " bytes, neither old nor new";
        ++seen[which];
    }
    // Both outcomes occur, or the kills never landed between two saves.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);

    // QSaveFile writes an unnamed file and names it just before the rename; only a kill in
    // that instant leaves a "Settei1.ini.XXXXXX" behind.
    QStringList strays = target.listFiles();
    strays.removeOne(QStringLiteral("Settei1.ini"));
    for (const QString& stray : strays)
        EXPECT_TRUE(stray.startsWith(QStringLiteral("Settei1.ini."))) << Std(stray);
    EXPECT_LE(strays.size(), rounds / 10);
    std::cout << rounds << " kills in " << clock.elapsed() << " ms: old " << seen[0] << ", new " << seen[1]
              << ", temporary files left " << strays.size() << '\n';
}

} // namespace
