#pragma once

#include "store/WatchListModel.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QResizeEvent;
class QScrollArea;

namespace window {

// The general page "全般": the program-wide settings, all in one scroll box. A change
// the user makes is written into the model first; then the page says which control
// changed, and the window calls the handler.
class SetteiPage final : public QWidget {
    Q_OBJECT

public:
    explicit SetteiPage(store::WatchListModel& model, QWidget* parent = nullptr);

    // Shows the settings the model holds.
    void render();

    QLineEdit* EditArarmTime() const { return m_editArarmTime; }
    QPlainTextEdit* MemoSpeakText() const { return m_memoSpeakText; }

signals:
    void ararmTimeEdited(const QString& text);
    // One of the five check boxes of the alarms and price checks, or the removal choice.
    void settingClicked();
    void ararmSpeakClicked();
    void speakTextEdited();
    void playClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QCheckBox* addCheckBox(const QString& name, const QString& text, const QRect& place);
    // A check box whose click only marks the window unsaved: the new state goes to field.
    QCheckBox* addSettingBox(const QString& name, const QString& text, const QRect& place, bool& field);

    store::WatchListModel& m_model;
    QScrollArea* m_scrollBox = nullptr;
    QWidget* m_content = nullptr;
    QLineEdit* m_editArarmTime = nullptr;
    QCheckBox* m_checkBoxAllArarm = nullptr;
    QCheckBox* m_checkBoxYosanOverNoHyoji = nullptr;
    QCheckBox* m_checkBoxArarmSpeak = nullptr;
    QPlainTextEdit* m_memoSpeakText = nullptr;
    QCheckBox* m_checkBoxKakakuCheckToday_Tomorrow = nullptr;
    QCheckBox* m_checkBoxKakakuKoshin = nullptr;
    QCheckBox* m_checkBoxBalloon = nullptr;
    QComboBox* m_comboBoxEndAuctionDel = nullptr;
};

} // namespace window
