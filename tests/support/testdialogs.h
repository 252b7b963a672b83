#pragma once

#include "platform/dialogs.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>

namespace tekstovar::test {

// Dialogs answered by the test: each question takes the next queued answer;
// with nothing queued it gets the "cancelled" answer and the call is noted in
// Unanswered, so a test can tell an unexpected question from a cancelled one.
// Every call is recorded with what it was asked.
class TTestDialogs : public TDialogs {
public:
    struct TFileQuestion {
        QString Caption;
        QString Directory;
        QString Filter;
        bool Many = false;
        QString DefaultSuffix;
    };
    struct TConfirmQuestion {
        QString Title;
        QString Text;
        bool YesByDefault = true;
    };

    // Answers, used from the front.
    std::deque<bool> ConfirmAnswers;
    std::deque<QStringList> OpenFilesAnswers;
    std::deque<QString> SaveFileAnswers;
    std::deque<QString> DirectoryAnswers;
    // A font: chosen; std::nullopt: the user cancelled.
    std::deque<std::optional<QFont>> FontAnswers;
    // The colour chosen with the next font; with none queued the colour
    // stays as offered.
    std::deque<QColor> ColourAnswers;
    // A modal dialog of the program: the answer plays the user (fills the
    // dialog's fields, presses its buttons) and returns the dialog's result.
    std::deque<std::function<int(QDialog&)>> ExecAnswers;

    // What was asked and shown.
    QStringList Errors;
    QStringList Messages;
    QList<TConfirmQuestion> Confirms;
    QList<TFileQuestion> OpenFilesQuestions;
    QList<TFileQuestion> SaveFileQuestions;
    QList<TFileQuestion> DirectoryQuestions;
    QList<QFont> FontsOffered;
    QList<QColor> ColoursOffered;
    // Window titles of the modal dialogs shown.
    QStringList Executed;
    QList<QUrl> OpenedUrls;
    QStringList Unanswered;

    void Error(QWidget*, const QString& text) override { Errors.append(text); }
    void Message(QWidget*, const QString& text) override { Messages.append(text); }

    bool Confirm(QWidget*, const QString& title, const QString& text, bool yesByDefault = true) override
    {
        Confirms.append({title, text, yesByDefault});
        return Next(ConfirmAnswers, false, QStringLiteral("Confirm: ") + text);
    }

    QStringList OpenFiles(
        QWidget*, const QString& caption, const QString& directory, const QString& filter, bool many) override
    {
        OpenFilesQuestions.append({caption, directory, filter, many, QString()});
        return Next(OpenFilesAnswers, QStringList(), QStringLiteral("OpenFiles: ") + caption);
    }

    QString SaveFile(QWidget*, const QString& caption, const QString& directory, const QString& filter,
        const QString& defaultSuffix) override
    {
        SaveFileQuestions.append({caption, directory, filter, false, defaultSuffix});
        return Next(SaveFileAnswers, QString(), QStringLiteral("SaveFile: ") + caption);
    }

    QString Directory(QWidget*, const QString& caption, const QString& directory) override
    {
        DirectoryQuestions.append({caption, directory, QString(), false, QString()});
        return Next(DirectoryAnswers, QString(), QStringLiteral("Directory: ") + caption);
    }

    bool ChooseFont(QWidget*, QFont& font, QColor& colour) override
    {
        FontsOffered.append(font);
        ColoursOffered.append(colour);
        std::optional<QFont> chosen = Next(FontAnswers, std::optional<QFont>(), QStringLiteral("ChooseFont"));
        if (!chosen)
            return false;
        font = *chosen;
        if (!ColourAnswers.empty()) {
            colour = ColourAnswers.front();
            ColourAnswers.pop_front();
        }
        return true;
    }

    int Exec(QDialog& dialog) override
    {
        Executed.append(dialog.windowTitle());
        std::function<int(QDialog&)> answer =
            Next(ExecAnswers, std::function<int(QDialog&)>(), QStringLiteral("Exec: ") + dialog.windowTitle());
        return answer ? answer(dialog) : int(QDialog::Rejected);
    }

    void OpenUrl(const QUrl& url) override { OpenedUrls.append(url); }

private:
    template <typename T> T Next(std::deque<T>& answers, T cancelled, const QString& call)
    {
        if (answers.empty()) {
            Unanswered.append(call);
            return cancelled;
        }
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

// Plays the user in a modal dialog of the program from an Exec answer: the
// dialog is shown as it would be, `user` types and clicks in it, and a
// dialog the user left open is cancelled. Returns the dialog's result.
inline int PlayDialog(QDialog& dialog, const std::function<void()>& user)
{
    dialog.setResult(QDialog::Rejected);
    dialog.open();
    user();
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

} // namespace tekstovar::test
