#include "window/SetteiPage.h"

#include "store/TextRules.h"

#include "window/Fonts.h"
#include "window/Placement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QSignalBlocker>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace window {

namespace {

constexpr int CheckBoxWidth = 449;
constexpr int CheckBoxHeight = 33;

} // namespace

SetteiPage::SetteiPage(store::WatchListModel& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    setObjectName(u"TabSheetSettei"_s);

    m_scrollBox = new QScrollArea(this);
    m_scrollBox->setObjectName(u"ScrollBox1"_s);
    m_scrollBox->setFrameShape(QFrame::NoFrame);
    m_scrollBox->setWidgetResizable(true);
    m_content = new QWidget;
    QPalette face = m_content->palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    m_content->setPalette(face);
    m_content->setAutoFillBackground(true);
    m_content->setFont(PGothicFont());

    PlacedLabel(u"Label1"_s, u"アラーム時刻が指定されていないオークションは終了"_s, {3, 10}, m_content);
    m_editArarmTime = new QLineEdit(m_content);
    m_editArarmTime->setObjectName(u"EditArarmTime"_s);
    m_editArarmTime->setGeometry(320, 5, 32, 19);
    QLabel* minutes = PlacedLabel(u"EditArarmTimeLabel"_s, u"分前にアラームを表示する。"_s, {}, m_content);
    minutes->move(m_editArarmTime->geometry().right() + 1 + LabelSpacing,
                  m_editArarmTime->y() + (m_editArarmTime->height() - minutes->height()) / 2);
    minutes->setBuddy(m_editArarmTime);
    // The handler stores the text itself.
    connect(m_editArarmTime, &QLineEdit::textEdited, this, &SetteiPage::ararmTimeEdited);

    m_checkBoxAllArarm =
        addSettingBox(u"CheckBoxAllArarm"_s, u"項目内のすべてのオークションをアラーム時同時に表示する。"_s,
                      {4, 32, CheckBoxWidth, CheckBoxHeight}, m_model.General.CheckBoxAllArarm);
    m_checkBoxYosanOverNoHyoji =
        addSettingBox(u"CheckBoxYosanOverNoHyoji"_s, u"価格が予算額を超えたオークションは表示しない。"_s,
                      {4, 69, CheckBoxWidth, CheckBoxHeight}, m_model.General.CheckBoxYosanOverNoHyoji);

    m_checkBoxArarmSpeak = addCheckBox(u"CheckBoxArarmSpeak"_s, u"アラーム時に音声でも知らせる。"_s,
                                       {4, 108, CheckBoxWidth, CheckBoxHeight});
    connect(m_checkBoxArarmSpeak, &QCheckBox::clicked, this, [this](bool checked) {
        m_model.Speech.CheckBoxArarmSpeak = checked;
        emit ararmSpeakClicked();
    });

    QLabel* label3 = PlacedLabel(
        u"Label3"_s, u"(しゃべる言葉を変更したら、必ず「再生」ボタンを押して確認してください。)"_s, {4, 142},
        m_content);
    QPalette red = label3->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label3->setPalette(red);

    PlacedLabel(u"Label2"_s, u"しゃべる言葉:"_s, {3, 169}, m_content);
    m_memoSpeakText = new QPlainTextEdit(m_content);
    m_memoSpeakText->setObjectName(u"MemoSpeakText"_s);
    m_memoSpeakText->setGeometry(90, 169, 551, 89);
    connect(m_memoSpeakText, &QPlainTextEdit::textChanged, this, [this] {
        m_model.Speech.MemoSpeakText = store::CrLfLineBreaks(m_memoSpeakText->toPlainText());
        emit speakTextEdited();
    });

    auto* play = new QPushButton(u"再生"_s, m_content);
    play->setObjectName(u"BtnPlay"_s);
    play->setGeometry(14, 204, 70, 33);
    connect(play, &QPushButton::clicked, this, [this] { emit playClicked(); });

    m_checkBoxKakakuCheckToday_Tomorrow =
        addSettingBox(u"CheckBoxKakakuCheckToday_Tomorrow"_s,
                      u"設定画面が非表示の時は今日と明日が終了日のオークションのみ価格チェックする"_s,
                      {4, 279, 741, CheckBoxHeight}, m_model.CheckBoxKakakuCheckToday_Tomorrow);
    m_checkBoxKakakuKoshin =
        addSettingBox(u"CheckBoxKakakuKoshin"_s, u"価格が更新されたら設定画面を表示する。"_s,
                      {4, 311, CheckBoxWidth, CheckBoxHeight}, m_model.General.CheckBoxKakakuKoshin);
    m_checkBoxBalloon =
        addSettingBox(u"CheckBoxBalloon"_s,
                      u"価格更新時とオークション終了時にタスクトレイアイコンのバルーンヒントを表示する。"_s,
                      {4, 342, 589, CheckBoxHeight}, m_model.General.CheckBoxBalloon);

    PlacedLabel(u"Label4"_s, u"終了後"_s, {4, 384}, m_content);
    m_comboBoxEndAuctionDel = new QComboBox(m_content);
    m_comboBoxEndAuctionDel->setObjectName(u"ComboBoxEndAuctionDel"_s);
    m_comboBoxEndAuctionDel->setEditable(false);
    m_comboBoxEndAuctionDel->addItems(store::EndAuctionDelItems());
    m_comboBoxEndAuctionDel->setGeometry(52, 381, 86, 21);
    connect(m_comboBoxEndAuctionDel, &QComboBox::activated, this, [this](int index) {
        m_model.General.ComboBoxEndAuctionDel = index;
        emit settingClicked();
    });
    PlacedLabel(u"Label5"_s, u"日以上過ぎたオークションは起動時に登録削除する。"_s, {144, 384}, m_content);

    // Scroll bars appear once the box is smaller than what it holds.
    const QRect used = m_content->childrenRect();
    m_content->setMinimumSize(used.right() + 1 + 3, used.bottom() + 1 + 3);
    m_scrollBox->setWidget(m_content);
    render();
}

QCheckBox* SetteiPage::addCheckBox(const QString& name, const QString& text, const QRect& place)
{
    auto* box = new QCheckBox(text, m_content);
    box->setObjectName(name);
    box->setGeometry(place);
    return box;
}

QCheckBox* SetteiPage::addSettingBox(const QString& name, const QString& text, const QRect& place,
                                     bool& field)
{
    QCheckBox* box = addCheckBox(name, text, place);
    connect(box, &QCheckBox::clicked, this, [this, &field](bool checked) {
        field = checked;
        emit settingClicked();
    });
    return box;
}

void SetteiPage::render()
{
    const store::GeneralPage& general = m_model.General;
    if (m_editArarmTime->text() != general.EditArarmTime)
        m_editArarmTime->setText(general.EditArarmTime);
    m_checkBoxAllArarm->setChecked(general.CheckBoxAllArarm);
    m_checkBoxYosanOverNoHyoji->setChecked(general.CheckBoxYosanOverNoHyoji);
    m_checkBoxArarmSpeak->setChecked(m_model.Speech.CheckBoxArarmSpeak);
    m_checkBoxKakakuCheckToday_Tomorrow->setChecked(m_model.CheckBoxKakakuCheckToday_Tomorrow);
    m_checkBoxKakakuKoshin->setChecked(general.CheckBoxKakakuKoshin);
    m_checkBoxBalloon->setChecked(general.CheckBoxBalloon);
    m_comboBoxEndAuctionDel->setCurrentIndex(
        std::clamp(general.ComboBoxEndAuctionDel, 0, m_comboBoxEndAuctionDel->count() - 1));

    // The text box reports every change of its text; a render is no user's edit.
    if (store::CrLfLineBreaks(m_memoSpeakText->toPlainText()) != m_model.Speech.MemoSpeakText) {
        const QSignalBlocker quiet(m_memoSpeakText);
        m_memoSpeakText->setPlainText(store::LfLineBreaks(m_model.Speech.MemoSpeakText));
    }
    QPalette memo = m_memoSpeakText->palette();
    memo.setColor(QPalette::Base, m_model.Speech.MemoSpeakTextColor == store::SpeakTextColor::Red
                                      ? QColor(255, 0, 0)
                                      : QColor(255, 255, 255));
    m_memoSpeakText->setPalette(memo);
}

void SetteiPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_scrollBox->setGeometry(0, 0, std::max(event->size().width() - 5, 0),
                             std::max(event->size().height() - 5, 0));
}

} // namespace window
