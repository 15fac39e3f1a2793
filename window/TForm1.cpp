#include "window/TForm1.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QShowEvent>

namespace window {

TForm1::TForm1(shell::TMiruberoMainForm& mainForm, platform::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_mainForm(mainForm), m_dialogs(dialogs)
{
    setWindowTitle(shell::TMiruberoMainForm::ProductName());
    resize(800, 500);
    CreateMenu();
}

void TForm1::CreateMenu()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    QMenu* help = menuBar->addMenu(QStringLiteral("ヘルプ(&H)"));
    const auto call = [](const std::function<void()>& action) {
        if (action)
            action();
    };
    help->addAction(QStringLiteral("ヘルプ(&H)"), this, [this, call] { call(m_help.readMe); });
    help->addAction(QStringLiteral("音声文字について(&O)"), this, [this, call] { call(m_help.notation); });
    help->addSeparator();
    help->addAction(QStringLiteral("バージョン情報(&V)"), this, [this, call] { call(m_help.about); });
}

void TForm1::showWindow()
{
    show();
}

void TForm1::bringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

bool TForm1::isWindowVisible() const
{
    return isVisible();
}

void TForm1::layoutMessageLabel()
{
    // The stand-in window has no message label yet.
}

void TForm1::ShowMessage(const QString& text)
{
    m_dialogs.showMessage(text);
}

void TForm1::SetTrayHint(const QString& hint)
{
    m_mainForm.SetTrayHint(hint);
}

void TForm1::ShowBalloon(const QString& title, const QString& text)
{
    m_mainForm.ShowBalloon(title, text);
}

void TForm1::RepaintGrid(int)
{
    update();
}

void TForm1::ShowWindowOnTop(bool onTop)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    show();
    if (onTop)
        bringToFront();
}

void TForm1::ActivatePriceCell(int, int)
{
    // The stand-in window has no category pages yet.
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm1::FormShow()
{
    m_model.WindowReady = false;
    m_model.SpeakTextChecked = true;
    m_model.Saved = true;
    // A show caused by a price change keeps the fetched prices and asks for no new check.
    if (!m_mainForm.KakakuChanged)
        m_model.KakakuCheckRequest = true;
    m_model.WindowReady = true;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
    m_mainForm.WatchListClosed();
}

} // namespace window
