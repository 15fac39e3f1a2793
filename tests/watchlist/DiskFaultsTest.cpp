#include "watchlist/WatchListFixture.h"

#include "store/WholeFile.h"

#include <QDir>

namespace watchlisttest {
namespace {

// A folder stands where a stored file should be written: the save says which file it could not
// write and why, the folder stays, the files written before are whole and nothing temporary is
// left beside them.
class FolderInPlace : public WatchListFiles, public ::testing::WithParamInterface<const char*> {};

TEST_P(FolderInPlace, TheSaveFailsAloudAndLeavesTheStoredFilesWhole)
{
    putTotal(1);
    put(u"Settei0.ini"_s, u"[Komoku]\nName=本\n[1]\nTitle=品\nURL=%1\nPictureExist=1\n"_s.arg(Url));
    putPicture(u"Image0_0.jpg"_s, qRgb(200, 0, 0));
    create();
    startUp();
    const QString name = QString::fromLatin1(GetParam());
    QFile::remove(path(name));
    ASSERT_TRUE(QDir().mkdir(path(name)));
    const QStringList stored{u"Settei0.ini"_s, u"Image0_0.jpg"_s, u"SpeakMsg.txt"_s};
    std::map<QString, QByteArray> before;
    for (const QString& file : stored)
        before[file] = bytes(file);

    // A new picture and an edited cell: every file the save writes changes.
    store::Slot& slot = model.SlotAt(0, 1);
    QImage blue(30, 20, QImage::Format_RGB32);
    blue.fill(qRgb(0, 0, 200));
    slot.Picture = store::SlotPicture::FromImage(blue);
    typeCell(0, 1, store::ColOption, u"見る"_s);
    model.Speech.MemoSpeakText = u"時間です"_s;
    clickOK();

    EXPECT_EQ(lastMessage(), store::WriteFailedMessage(path(name), u"同じ名前のフォルダーがあります"_s));
    EXPECT_FALSE(model.Saved);
    EXPECT_TRUE(QFileInfo(path(name)).isDir());
    // The picture is the old one unless a folder took its place; the list still names the slot.
    if (name != u"Image0_0.jpg"_s) {
        EXPECT_EQ(bytes(u"Image0_0.jpg"_s), before[u"Image0_0.jpg"_s]);
    }
    if (name != u"Settei0.ini"_s) {
        EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"URL="_s + Url));
    }
    const QStringList left = QDir(form->DataDir()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, (QStringList{u"Image0_0.jpg"_s, u"Settei0.ini"_s, u"SpeakMsg.txt"_s, u"Total.ini"_s}));
}

INSTANTIATE_TEST_SUITE_P(Names, FolderInPlace,
                         ::testing::Values("Settei0.ini", "Image0_0.jpg", "SpeakMsg.txt"),
                         [](const auto& info) {
                             return QString::fromLatin1(info.param).remove(u'.').toStdString();
                         });

} // namespace
} // namespace watchlisttest
