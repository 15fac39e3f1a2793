// Runs the watch-list window's rearranging commands over a data folder with the real resident
// object, presenter and stored-file code, every question answered yes, on a fixed clock. The
// crash test kills it at random moments; see CrashSafetyTest.cpp.
//
//   crash_driver init <documents>      writes the starting data folder
//   crash_driver run <documents> [log] starts up and runs the commands; with a log, the hashes
//                                      of the stored files after each step are appended to it
//   crash_driver check <documents>     starts up and checks every slot's picture against its address

#include "shell/TMiruberoMainForm.h"
#include "store/Cp932.h"
#include "store/DayCount.h"
#include "store/Pictures.h"
#include "store/StoredFiles.h"
#include "support/FakeTransfers.h"
#include "support/Fakes.h"
#include "support/ResidentAccess.h"
#include "watchlist/ResidentLink.h"
#include "watchlist/WatchListPresenter.h"

#include <QColor>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdlib>

using namespace Qt::StringLiterals;
using namespace store;

namespace {

const QDateTime Now(QDate(2026, 12, 9), QTime(12, 0));

QString DataDir(const QString& documents)
{
    return documents + u"/ヨツバネ/MiruberoData/"_s;
}

QString Address(int auction)
{
    return u"https://page.auctions.yahoo.co.jp/jp/auction/c%1"_s.arg(auction);
}

// Each auction's picture has a colour of its own, so a picture under the wrong number shows.
QRgb ColourOf(int auction)
{
    return QColor::fromHsv((auction * 29) % 360, 255, 230).rgb();
}

int AuctionOf(const QString& address)
{
    return address.section(u'c', -1).toInt();
}

void Put(const QString& path, QString text)
{
    text.replace(u"\n"_s, u"\r\n"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(ToCp932(text)) < 0)
        std::exit(3);
}

// Three categories of slots with pictures; the second slot of the first has ended long ago
// and goes at start-up.
void Init(const QString& documents)
{
    const QString dir = DataDir(documents);
    QDir().mkpath(dir);
    Put(dir + TotalIniName(), u"[KomokuCount]\nValue=3\n[EndAuction]\nDel=2\n"_s);
    Put(dir + SpeakMsgName(), u"時間です\n"_s);
    int auction = 1;
    for (int k = 0; k < 3; ++k) {
        QString text = u"[Komoku]\nName=分類%1\n[Honmei]\nNo=%2\n"_s.arg(k).arg(k + 1);
        for (int s = 0; s < 6; ++s, ++auction) {
            const QDateTime end =
                (k == 0 && s == 1) ? Now.addDays(-9) : Now.addDays(1 + s).addSecs(auction * 60);
            text += u"[%1]\nTitle=品物%2\nShuryoTime=%3\nURL=%4\nArarmTime=0\nKakaku=%5円\n"
                    u"PictureExist=1\n"_s.arg(s + 1)
                        .arg(auction)
                        .arg(DayCountToText(ToDayCount(end)))
                        .arg(Address(auction))
                        .arg((auction * 7919) % 1000 + 100);
            QImage image(48, 32, QImage::Format_RGB32);
            image.fill(ColourOf(auction));
            if (!WriteJpegFile(dir + ImageName(k, s), image))
                std::exit(3);
        }
        Put(dir + SetteiIniName(k), text);
    }
}

struct Program : testsupport::ResidentFakes {
    explicit Program(const QString& documents)
    {
        folders.documents = documents;
        folders.program = documents;
        clock.current = Now;
        // Every question is answered yes.
        dialogs.onShow = [this] { dialogs.answers.assign(1, true); };
        form = std::make_unique<shell::TMiruberoMainForm>(Platform(), model);
        if (!form->FormCreate())
            std::exit(4);
        link = std::make_unique<watchlist::ResidentLink>(*form);
        pass = std::make_unique<retrieval::PriceCheckPass>(retrieval::PriceCheckPass::Parts{
            *form, model, pages, pictures, probe, view, dialogs, clock, retrieval::BuiltInPageMarkers()});
        presenter = std::make_unique<watchlist::WatchListPresenter>(watchlist::WatchListPresenter::Parts{
            model, *link, view, dialogs, clock, form->Speech(), shellOpen, *pass});
        form->AttachWatchList(&view);
        presenter->FormCreate();
        // Start-up: the schedule read (the ended slots pruned), the window shown and loaded.
        form->RebuildSchedule();
        view.visible = true;
        presenter->FormShow();
        presenter->TabSheetSetteiShow();
        testsupport::State(*form).StartingUp = false;
    }
    void page(int komoku) { presenter->TabSheetAuctionShow(komoku); }
    void select(int komoku, int row) { presenter->GridMouseDown(komoku, 1, row, true); }

    testsupport::FakeWindowView view;
    WatchListModel model;
    std::unique_ptr<shell::TMiruberoMainForm> form;
    std::unique_ptr<watchlist::ResidentLink> link;
    testsupport::FakePages pages;
    testsupport::FakePictures pictures;
    std::unique_ptr<retrieval::PriceCheckPass> pass;
    std::unique_ptr<watchlist::WatchListPresenter> presenter;
};

bool IsStoredName(const QString& name)
{
    static const QRegularExpression stored(
        u"^(Total\\.ini|SpeakMsg\\.txt|Settei\\d+\\.ini|Image\\d+_\\d+\\.jpg)$"_s);
    return stored.match(name).hasMatch();
}

void Record(const QString& documents, const QString& log)
{
    QFile out(log);
    if (log.isEmpty() || !out.open(QIODevice::Append))
        return;
    const QDir dir(DataDir(documents));
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        if (!IsStoredName(name))
            continue;
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            out.write(name.toUtf8() + ' ' +
                      QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex() + '\n');
    }
    out.write("--\n");
}

void Run(const QString& documents, const QString& log)
{
    Record(documents, log);
    Program program(documents);
    Record(documents, log);
    watchlist::WatchListPresenter& p = *program.presenter;
    const auto step = [&](const std::function<void()>& command) {
        command();
        Record(documents, log);
    };
    step([&] {
        program.presenter->GridCellEdited(0, 1, ColOption, u"見る"_s);
        p.MenuSaveClick();
    });
    step([&] { program.page(1), p.MenuCheapClick(); });
    step([&] { program.select(0, 1), p.RowDellClick(); });
    step([&] { program.select(1, 2), p.MoveKomokuItemClick(0); });
    step([&] { program.select(0, 1), p.MoveKomokuItemClick(2); });
    step([&] { program.page(0), p.S1Click(); });
    step([&] { program.page(0), p.BtnTabDelClick(0); });
    step([&] { program.page(0), p.MenuCheapClick(); });
    step([&] { program.select(1, 3), p.RowDellClick(); });
    step([&] { program.select(0, 4), p.MoveKomokuItemClick(1); });
}

// Every slot in use shows its own auction's picture; nothing a cut-short write left remains.
int Check(const QString& documents)
{
    Program program(documents);
    int faults = 0;
    QTextStream err(stderr);
    for (int k = 0; k < program.model.KomokuCount; ++k) {
        for (int row = 1; row <= SlotsPerKomoku; ++row) {
            const Slot& slot = program.model.SlotAt(k, row);
            if (!slot.InUse())
                continue;
            const QRgb want = ColourOf(AuctionOf(slot.Cells[ColURL]));
            const QRgb got = slot.Picture.IsNull() ? 0 : slot.Picture.Box().pixel(10, 10);
            if (!slot.PictureExist || std::abs(qRed(want) - qRed(got)) +
                                              std::abs(qGreen(want) - qGreen(got)) +
                                              std::abs(qBlue(want) - qBlue(got)) >
                                          60) {
                err << "category " << k << " row " << row << " (" << slot.Cells[ColURL]
                    << ") has not its own picture\n";
                ++faults;
            }
        }
    }
    for (const QString& name : QDir(DataDir(documents)).entryList(QDir::Files)) {
        if (!IsStoredName(name)) {
            err << "left over: " << name << "\n";
            ++faults;
        }
    }
    return faults == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString& mode = args[1];
    if (mode == u"init"_s)
        Init(args[2]);
    else if (mode == u"run"_s)
        Run(args[2], args.value(3));
    else if (mode == u"check"_s)
        return Check(args[2]);
    else
        return 2;
    return 0;
}
