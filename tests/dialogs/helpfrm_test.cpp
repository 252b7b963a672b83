#include "dialogs/helpfrm.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "engine/maskedreplacer.h"
#include "platform/winunicode.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QToolButton>

#include <gtest/gtest.h>

#include <map>

namespace tekstovar {
namespace {

struct TLink {
    QString Href;
    int Position = 0; // in the document, inside the link's text
    int Length = 0;
};

QString FirstHeading(const QTextDocument& document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (block.blockFormat().headingLevel() == 1)
            return block.text().trimmed();
    return {};
}

std::vector<TLink> Links(const QTextDocument& document)
{
    std::vector<TLink> links;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isAnchor() && !fragment.charFormat().anchorHref().isEmpty())
                links.push_back({fragment.charFormat().anchorHref(), fragment.position(), fragment.length()});
        }
    return links;
}

QSet<QString> AnchorNames(const QTextDocument& document)
{
    QSet<QString> names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            for (const QString& name : it.fragment().charFormat().anchorNames())
                names.insert(name);
    return names;
}

QString CellText(QTextTable* table, int row, int column)
{
    QTextTableCell cell = table->cellAt(row, column);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

class HelpFrmTest : public testing::Test {
protected:
    void SetUp() override
    {
        Help.resize(700, 600);
        Browser = Help.findChild<QTextBrowser*>(QStringLiteral("PageBrw"));
        ASSERT_TRUE(Browser);
    }

    QString Heading() const { return FirstHeading(*Browser->document()); }
    QString Page() const { return Browser->source().toString(QUrl::RemoveFragment); }

    void Open(const QString& page) { Browser->setSource(QUrl(QStringLiteral("qrc:/help/") + page)); }

    static QStringList Pages() { return QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}); }

    QToolButton* Button(const QString& name) { return Help.findChild<QToolButton*>(name); }

    THelpFrm Help;
    QTextBrowser* Browser = nullptr;
};

TEST_F(HelpFrmTest, EachTopicShowsItsPage)
{
    struct TCase {
        QString Topic, Page, Heading;
    };
    const TCase cases[] = {
        {QStringLiteral("Contents"), QStringLiteral("qrc:/help/contents.html"), QStringLiteral("Текстовар")},
        {QStringLiteral("Batch"), QStringLiteral("qrc:/help/batch.html"), QStringLiteral("Сценарии")},
        {QStringLiteral("Library"), QStringLiteral("qrc:/help/library.html"), QStringLiteral("Библиотека")},
        {QStringLiteral("Setup"), QStringLiteral("qrc:/help/setup.html"), QStringLiteral("Настройка")},
        {QStringLiteral("Nonsense"), QStringLiteral("qrc:/help/contents.html"), QStringLiteral("Текстовар")},
        {QString(), QStringLiteral("qrc:/help/contents.html"), QStringLiteral("Текстовар")},
        {QStringLiteral("batch"), QStringLiteral("qrc:/help/contents.html"), QStringLiteral("Текстовар")},
    };
    for (const TCase& c : cases) {
        Help.ShowTopic(c.Topic);
        EXPECT_EQ(Page(), c.Page) << c.Topic.toStdString();
        EXPECT_EQ(Heading(), c.Heading) << c.Topic.toStdString();
    }
    EXPECT_TRUE(Help.isVisible());
    EXPECT_EQ(Help.windowTitle(), QStringLiteral("Подсказка"));
    EXPECT_EQ(Help.windowModality(), Qt::NonModal);
}

TEST_F(HelpFrmTest, ClickingALinkOpensThePageAndTheButtonsGoBackAndForth)
{
    Help.ShowTopic(QStringLiteral("Contents"));
    std::vector<TLink> links = Links(*Browser->document());
    auto link = std::find_if(
        links.begin(), links.end(), [](const TLink& l) { return l.Href == QStringLiteral("search.html"); });
    ASSERT_NE(link, links.end());
    QTextCursor cursor(Browser->document());
    cursor.setPosition(link->Position + link->Length / 2);
    Browser->setTextCursor(cursor);
    Browser->ensureCursorVisible();
    QPoint at = Browser->cursorRect(cursor).center();
    QTest::mouseClick(Browser->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(Page(), QStringLiteral("qrc:/help/search.html"));
    EXPECT_EQ(Heading(), QStringLiteral("Маска поиска"));

    QToolButton* back = Button(QStringLiteral("BackBtn"));
    QToolButton* forward = Button(QStringLiteral("ForwardBtn"));
    QToolButton* contents = Button(QStringLiteral("ContentsBtn"));
    ASSERT_TRUE(back && forward && contents);
    EXPECT_TRUE(back->isEnabled());
    EXPECT_FALSE(forward->isEnabled());
    back->click();
    EXPECT_EQ(Heading(), QStringLiteral("Текстовар"));
    EXPECT_TRUE(forward->isEnabled());
    forward->click();
    EXPECT_EQ(Heading(), QStringLiteral("Маска поиска"));
    contents->click();
    EXPECT_EQ(Page(), QStringLiteral("qrc:/help/contents.html"));
}

// Every link of every page leads to a page of the help, and to an anchor that
// page has; every page can be reached from the contents.
TEST_F(HelpFrmTest, EveryLinkResolvesAndEveryPageIsReachable)
{
    QStringList pages = Pages();
    ASSERT_GE(pages.size(), 6);
    std::map<QString, QSet<QString>> anchors;
    std::map<QString, QStringList> targets; // page -> pages it links to
    for (const QString& page : pages) {
        Open(page);
        anchors[page] = AnchorNames(*Browser->document());
    }
    int checked = 0;
    for (const QString& page : pages) {
        Open(page);
        EXPECT_FALSE(Heading().isEmpty()) << page.toStdString() << " has no heading";
        for (const TLink& link : Links(*Browser->document())) {
            QUrl target = Browser->source().resolved(QUrl(link.Href));
            std::string where = page.toStdString() + ": " + link.Href.toStdString();
            ASSERT_EQ(target.scheme(), QStringLiteral("qrc")) << where;
            QString file = target.path().section(u'/', -1);
            ASSERT_TRUE(target.path().startsWith(QStringLiteral("/help/")) && pages.contains(file)) << where;
            if (target.hasFragment()) {
                EXPECT_TRUE(anchors[file].contains(target.fragment())) << where;
            }
            targets[page].append(file);
            ++checked;
        }
    }
    EXPECT_GT(checked, 50);

    QSet<QString> reached{QStringLiteral("contents.html")};
    QStringList queue{QStringLiteral("contents.html")};
    while (!queue.isEmpty()) {
        for (const QString& next : targets[queue.takeFirst()]) {
            if (!reached.contains(next)) {
                reached.insert(next);
                queue.append(next);
            }
        }
    }
    for (const QString& page : pages)
        EXPECT_TRUE(reached.contains(page)) << page.toStdString() << " cannot be reached from the contents";
}

// The worked examples are tables headed "Маска поиска | Маска замены | Текст |
// Результат | Замен [| Сообщение]"; each row must hold what the engine does.
// In them ¶ stands for CR LF and → for a tab; a refused mask shows "—".
TEST_F(HelpFrmTest, EveryWorkedExampleGivesTheResultItShows)
{
    const QStringList header = {QStringLiteral("Маска поиска"), QStringLiteral("Маска замены"), QStringLiteral("Текст"),
        QStringLiteral("Результат"), QStringLiteral("Замен")};
    auto bytes = [](QString text) {
        text.replace(QChar(u'¶'), QStringLiteral("\r\n")).replace(QChar(u'→'), QStringLiteral("\t"));
        return Utf8ToWin(text.toUtf8().toStdString());
    };
    int rows = 0;
    std::map<QString, int> perPage;
    for (const QString& page : Pages()) {
        Open(page);
        for (QTextFrame* frame : Browser->document()->rootFrame()->childFrames()) {
            auto* table = qobject_cast<QTextTable*>(frame);
            if (!table || table->columns() < 5)
                continue;
            QStringList heads;
            for (int c = 0; c < 5; ++c)
                heads.append(CellText(table, 0, c));
            if (heads != header)
                continue;
            bool withMessage = table->columns() == 6 && CellText(table, 0, 5) == QStringLiteral("Сообщение");
            for (int r = 1; r < table->rows(); ++r) {
                QString search = CellText(table, r, 0), replace = CellText(table, r, 1);
                QString text = CellText(table, r, 2), expected = CellText(table, r, 3);
                QString count = CellText(table, r, 4);
                QString message = withMessage ? CellText(table, r, 5) : QString();
                std::string where = page.toStdString() + ": " + search.toStdString() + " / " + replace.toStdString() +
                    " on " + text.toStdString();
                QString result, error;
                QString replaced = QStringLiteral("—");
                try {
                    TMaskedReplacer replacer(bytes(text), bytes(search), bytes(replace), EncodingWin, EncodingNone);
                    replacer.Run();
                    result = QString::fromUtf8(WinToUtf8(replacer.Result()))
                                 .replace(QStringLiteral("\r\n"), QStringLiteral("¶"))
                                 .replace(u'\t', u'→');
                    replaced = QString::number(replacer.ReplaceCount());
                    error = QString::fromUtf8(replacer.ErrorText());
                } catch (const TError& e) {
                    result = QStringLiteral("—");
                    error = QString::fromUtf8(e.what());
                }
                EXPECT_EQ(result.toStdString(), expected.toStdString()) << where;
                EXPECT_EQ(replaced.toStdString(), count.toStdString()) << where;
                EXPECT_EQ(error.toStdString(), message.toStdString()) << where;
                ++rows;
                ++perPage[page];
            }
        }
    }
    EXPECT_GT(rows, 60);
    EXPECT_GT(perPage[QStringLiteral("search.html")], 25);
    EXPECT_GT(perPage[QStringLiteral("replace.html")], 25);
}

TEST_F(HelpFrmTest, CodeKeepsItsSpaces)
{
    // The examples hold runs of blanks that must show as typed.
    Open(QStringLiteral("search.html"));
    EXPECT_TRUE(Browser->toPlainText().contains(QStringLiteral("a   b→ c")));
}

} // namespace
} // namespace tekstovar
