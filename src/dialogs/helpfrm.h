#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace tekstovar {

// The built-in help: Russian pages compiled into the program, shown in a
// window of their own beside the others. Each window opens it at its topic:
// "Contents" (the main window), "Batch", "Library", "Setup".
class THelpFrm : public QWidget {
    Q_OBJECT
public:
    explicit THelpFrm(QWidget* parent = nullptr);

    // Shows the page of the topic (an unknown topic shows the contents) and
    // brings the window to the front.
    void ShowTopic(const QString& topic);

    // The page of a topic, e.g. "qrc:/help/batch.html".
    static QUrl TopicUrl(const QString& topic);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void JoinModalDialog();
    void LeaveModalDialog();

    QWidget* HomeParent = nullptr; // while the window belongs to a modal dialog
    QTextBrowser* PageBrw;
    QToolButton* BackBtn;
    QToolButton* ForwardBtn;
    QToolButton* ContentsBtn;
};

} // namespace tekstovar
