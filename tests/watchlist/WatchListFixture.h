#pragma once

#include "watchlist/WatchListPresenter.h"

#include "shell/ResidentFixture.h"
#include "store/Cp932.h"
#include "store/Pictures.h"
#include "support/FakeTransfers.h"
#include "watchlist/ResidentLink.h"
#include "watchlist/WatchListStorage.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace watchlisttest {

using namespace Qt::StringLiterals;
using watchlist::WatchListPresenter;
using watchlist::WatchListStorage;

// The watch-list window's behaviour over the real resident object, a fake of the window
// and a scratch data folder.

inline const QString Url = u"https://page.auctions.yahoo.co.jp/jp/auction/x1"_s;

class WatchListFiles : public testsupport::ResidentFixture {
protected:
    WatchListFiles()
    {
        clock.current = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        // Offline unless a test goes online: an address typed into a URL cell is stored, and no
        // registration fetch waits for a page nobody answers.
        probe.reachable = false;
    }
    void SetUp() override { ASSERT_TRUE(form->FormCreate()); }

    QString path(const QString& name) const { return form->DataDir() + name; }
    // Writes a stored file the way the Windows program does: CP932, CR LF.
    void put(const QString& name, QString text) const
    {
        text.replace(u"\n"_s, u"\r\n"_s);
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(store::ToCp932(text));
    }
    QByteArray bytes(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString text(const QString& name) const { return store::FromCp932(bytes(name)); }
    bool exists(const QString& name) const { return QFileInfo::exists(path(name)); }
    void putPicture(const QString& name, QRgb colour, int quality = 90) const
    {
        QImage image(60, 40, QImage::Format_RGB32);
        image.fill(colour);
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(store::EncodeJpeg(image, quality));
    }
    static bool near(QRgb a, QRgb b)
    {
        return std::abs(qRed(a) - qRed(b)) < 24 && std::abs(qGreen(a) - qGreen(b)) < 24 &&
               std::abs(qBlue(a) - qBlue(b)) < 24;
    }

    // Creates the window's behaviour as the program does at start-up: the presenter, and the
    // pass and registration fetch over `pages` (fakes the test answers, unless it gives others).
    void create(retrieval::PageClient* pageClient = nullptr,
                retrieval::PictureClient* pictureClient = nullptr)
    {
        link = std::make_unique<watchlist::ResidentLink>(*form);
        pass = std::make_unique<retrieval::PriceCheckPass>(retrieval::PriceCheckPass::Parts{
            *form, model, pageClient ? *pageClient : pages, pictureClient ? *pictureClient : pictures, probe,
            view, dialogs, clock, retrieval::BuiltInPageMarkers()});
        presenter = std::make_unique<WatchListPresenter>(
            WatchListPresenter::Parts{model, *link, view, dialogs, clock, form->Speech(), shellOpen, *pass});
        pass->SetSave([this] { return presenter->Save(); });
        form->AttachWatchList(&view);
        form->AttachPriceCheck(pass.get());
        form->AttachRegistration(presenter.get());
        presenter->FormCreate();
    }
    // The window's enabled states and message line as they stand.
    watchlist::CommandStates states() const { return presenter->States(); }
    // The window is shown: its show handler, then the handler of the page in front.
    void show()
    {
        view.visible = true;
        presenter->FormShow();
        if (model.ActivePage == 0)
            presenter->TabSheetSetteiShow();
        else
            presenter->TabSheetAuctionShow(model.ActivePage - 1);
    }
    // The first tick: the schedule read while starting up, the window shown, the start-up stage over.
    void startUp()
    {
        form->RebuildSchedule();
        show();
        testsupport::State(*form).StartingUp = false;
    }
    void putTotal(int count) const
    {
        put(u"Total.ini"_s, u"[KomokuCount]\nValue=%1\n[EndAuction]\nDel=0\n"_s.arg(count));
    }
    // The general page's caption and the category pages' captions.
    QStringList captions() const
    {
        QStringList result{u"全般"_s};
        for (const store::Komoku& komoku : model.Komokus)
            result << komoku.TabCaption();
        return result;
    }
    QString cell(int komoku, int row, int column) const
    {
        return model.Komokus[static_cast<size_t>(komoku)]
            .Slots[static_cast<size_t>(row - 1)]
            .Cells[static_cast<size_t>(column)];
    }
    void typeCell(int komoku, int row, int column, const QString& value)
    {
        presenter->GridCellEdited(komoku, row, column, value);
    }
    void clickOK()
    {
        dialogs.shown.clear();
        view.log.clear();
        presenter->MenuSaveClick();
    }
    QString lastMessage() const { return dialogs.shown.empty() ? QString() : dialogs.shown.back().text; }

    testsupport::FakePages pages;
    testsupport::FakePictures pictures;
    std::unique_ptr<watchlist::ResidentLink> link;
    std::unique_ptr<retrieval::PriceCheckPass> pass;
    std::unique_ptr<WatchListPresenter> presenter;
};

} // namespace watchlisttest
