#include "library/librarydownload.h"
#include "library/librarystore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace tekstovar;

namespace {

// Generous bound for a local answer; only the time-out case waits on it.
constexpr int WaitMs = 5000;

const QByteArray Library = "[PairLibrary]\r\nCount=2\r\n"
                           "MaskStr0=.cat.\r\nReplaceStr0=.dog.\r\nCommentStr0=.animals.\r\n"
                           "MaskStr1=.one.\r\nReplaceStr1=.two.\r\nCommentStr1=.numbers.\r\n"
                           "[LexemLibrary]\r\nCount=1\r\nLexemStr0=.[0-9].\r\nCommentStr0=.digit.\r\n";

// A one-shot HTTP server on 127.0.0.1: it reads a request head and answers
// with a fixed response, keeps silent, or drips a long body byte by byte.
class TTestServer {
public:
    enum class TMode { Answer, Silent, Drip };

    TTestServer()
    {
        QObject::connect(&Server, &QTcpServer::newConnection, [this] { Accept(); });
        Listening = Server.listen(QHostAddress::LocalHost);
    }

    // A response without a length ends with the connection, so only then
    // does the server close it; otherwise the client does.
    void Answer(QByteArray response, bool close = false)
    {
        Mode = TMode::Answer;
        Response = std::move(response);
        Close = close;
    }
    void KeepSilent() { Mode = TMode::Silent; }
    // One byte of a body of a megabyte every `intervalMs`: never silent for
    // long, never done.
    void Drip(int intervalMs)
    {
        Mode = TMode::Drip;
        DripMs = intervalMs;
    }

    static QByteArray Ok(const QByteArray& body, bool withLength = true)
    {
        QByteArray head = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n";
        if (withLength)
            head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        return head + "\r\n" + body;
    }

    bool Listening = false;
    QUrl Base() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(Server.serverPort())); }
    int Requests = 0;
    QByteArray LastRequestLine;

private:
    void Accept()
    {
        while (QTcpSocket* socket = Server.nextPendingConnection()) {
            auto head = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
                *head += socket->readAll();
                qsizetype end = head->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                ++Requests;
                LastRequestLine = head->left(head->indexOf("\r\n"));
                head->clear();
                if (Mode == TMode::Silent)
                    return;
                if (Mode == TMode::Drip) {
                    socket->write("HTTP/1.0 200 OK\r\nContent-Length: 1048576\r\n\r\n[");
                    auto* drip = new QTimer(socket);
                    QObject::connect(drip, &QTimer::timeout, socket, [socket] { socket->write(";"); });
                    drip->start(DripMs);
                    return;
                }
                socket->write(Response);
                if (Close)
                    socket->disconnectFromHost();
            });
        }
    }

    QTcpServer Server;
    TMode Mode = TMode::Answer;
    QByteArray Response;
    bool Close = false;
    int DripMs = 0;
};

struct TOutcome {
    bool Ended = false;
    bool Ok = false;
    QString Message;
    QStringList Statuses;
};

TOutcome Download(TLibraryDownload& download, const QUrl& base, TLibraryStore& store, int timeoutMs = 3000,
    int deadlineMs = TLibraryDownload::DefaultDeadlineMs)
{
    TOutcome outcome;
    QSignalSpy finished(&download, &TLibraryDownload::Finished);
    QSignalSpy status(&download, &TLibraryDownload::Status);
    download.Start(base, store, timeoutMs, deadlineMs);
    if (finished.isEmpty())
        finished.wait(WaitMs);
    for (const QList<QVariant>& args : status)
        outcome.Statuses << args.at(0).toString();
    if (finished.size() != 1)
        return outcome;
    outcome.Ended = true;
    outcome.Ok = finished.at(0).at(0).toBool();
    outcome.Message = finished.at(0).at(1).toString();
    return outcome;
}

// What lies in the temporary directory, which the test's main made ours.
QStringList Leftovers()
{
    QStringList names =
        QDir(QDir::tempPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

bool TempFileLeft() { return !Leftovers().isEmpty(); }

} // namespace

TEST(LibraryDownload, MergesTheLibraryAndReportsTheCounts)
{
    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.Answer(TTestServer::Ok(Library));
    TLibraryStore store;
    store.AppendPair("old", "new", "kept");
    TLibraryDownload download;

    TOutcome outcome = Download(download, server.Base(), store);

    ASSERT_TRUE(outcome.Ended);
    EXPECT_TRUE(outcome.Ok);
    EXPECT_EQ(outcome.Message, QStringLiteral("Закачано Пар:2, Лексем:1"));
    EXPECT_EQ(download.Failure(), TLibraryDownload::TFailure::None);
    ASSERT_GE(outcome.Statuses.size(), 3);
    EXPECT_EQ(outcome.Statuses.first(), QStringLiteral("Соединение С Сервером..."));
    EXPECT_TRUE(outcome.Statuses.contains(QStringLiteral("Соединение С Сервером Установлено")));
    EXPECT_EQ(outcome.Statuses.last(), outcome.Message);
    EXPECT_EQ(server.Requests, 1);
    EXPECT_EQ(server.LastRequestLine, QByteArray("GET /QZ/Lib/QZLib.Tmp HTTP/1.1"));
    ASSERT_EQ(store.PairCount(), 3u);
    EXPECT_EQ(store.Masks()[1], "cat");
    EXPECT_EQ(store.Replaces()[1], "dog");
    EXPECT_EQ(store.Comments()[2], "numbers");
    ASSERT_EQ(store.Lexems().size(), 1u);
    EXPECT_EQ(store.Lexems()[0], (TLibLexem{"digit", "[0-9]"}));
    EXPECT_FALSE(TempFileLeft());
}

TEST(LibraryDownload, TheSameLibraryTwiceAddsNothingTheSecondTime)
{
    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.Answer(TTestServer::Ok(Library));
    TLibraryStore store;
    TLibraryDownload download;

    TOutcome first = Download(download, server.Base(), store);
    ASSERT_TRUE(first.Ended);
    EXPECT_EQ(first.Message, QStringLiteral("Закачано Пар:2, Лексем:1"));
    TOutcome second = Download(download, server.Base(), store);
    ASSERT_TRUE(second.Ended);
    EXPECT_TRUE(second.Ok);
    EXPECT_EQ(second.Message, QStringLiteral("Закачано Пар:0, Лексем:0"));
    EXPECT_EQ(server.Requests, 2);
    EXPECT_EQ(store.PairCount(), 2u);
    EXPECT_EQ(store.Lexems().size(), 1u);
    EXPECT_FALSE(TempFileLeft());
}

TEST(LibraryDownload, AWebPageWithoutSectionsMergesNothing)
{
    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.Answer(TTestServer::Ok("<html><body><h1>Library</h1>MaskStr0=.x.</body></html>\r\n", false), true);
    TLibraryStore store;
    TLibraryDownload download;

    TOutcome outcome = Download(download, server.Base(), store);

    ASSERT_TRUE(outcome.Ended);
    EXPECT_TRUE(outcome.Ok);
    EXPECT_EQ(outcome.Message, QStringLiteral("Закачано Пар:0, Лексем:0"));
    // When the close overtakes the answer the client may send the GET once
    // more, which it is free to do; it must not loop.
    EXPECT_GE(server.Requests, 1);
    EXPECT_LE(server.Requests, 2);
    EXPECT_EQ(store.PairCount(), 0u);
    EXPECT_TRUE(store.Lexems().empty());
    EXPECT_FALSE(TempFileLeft());
}

TEST(LibraryDownload, ABaseWithAPathKeepsIt)
{
    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.Answer(TTestServer::Ok(Library));
    TLibraryStore store;
    TLibraryDownload download;
    QUrl base = server.Base();
    base.setPath(QStringLiteral("/mirror/"));

    TOutcome outcome = Download(download, base, store);

    ASSERT_TRUE(outcome.Ended);
    EXPECT_TRUE(outcome.Ok);
    EXPECT_EQ(server.LastRequestLine, QByteArray("GET /mirror/QZ/Lib/QZLib.Tmp HTTP/1.1"));
}

TEST(LibraryDownload, StartReturnsBeforeTheServerAnswers)
{
    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.Answer(TTestServer::Ok(Library));
    TLibraryStore store;
    TLibraryDownload download;
    QSignalSpy finished(&download, &TLibraryDownload::Finished);

    download.Start(server.Base(), store);

    // Nothing can have arrived: the server only answers from the event loop.
    EXPECT_TRUE(download.Running());
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_EQ(store.PairCount(), 0u);

    // A second start meanwhile is refused and leaves the first one running.
    download.Start(server.Base(), store);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    EXPECT_EQ(download.Failure(), TLibraryDownload::TFailure::Busy);
    EXPECT_TRUE(download.Running());

    ASSERT_TRUE(finished.wait(WaitMs));
    ASSERT_EQ(finished.size(), 2);
    EXPECT_TRUE(finished.at(1).at(0).toBool());
    EXPECT_EQ(store.PairCount(), 2u);
    EXPECT_EQ(server.Requests, 1);
    EXPECT_FALSE(TempFileLeft());
}

TEST(LibraryDownload, ASilentServerTimesOut)
{
    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.KeepSilent();
    TLibraryStore store;
    store.AppendPair("old", "new", "kept");
    TLibraryDownload download;

    TOutcome outcome = Download(download, server.Base(), store, 300);

    ASSERT_TRUE(outcome.Ended);
    EXPECT_FALSE(outcome.Ok);
    EXPECT_EQ(outcome.Message, QStringLiteral("Не Удалось Получить Данные С Сервера"));
    EXPECT_EQ(download.Failure(), TLibraryDownload::TFailure::TimedOut);
    EXPECT_EQ(server.Requests, 1);
    EXPECT_TRUE(outcome.Statuses.contains(QStringLiteral("Соединение С Сервером Установлено")));
    ASSERT_FALSE(outcome.Statuses.isEmpty());
    EXPECT_TRUE(outcome.Statuses.last().isEmpty());
    EXPECT_EQ(store.PairCount(), 1u);
    EXPECT_FALSE(download.Running());
    EXPECT_FALSE(TempFileLeft());
}

TEST(LibraryDownload, ARefusedConnectionFails)
{
    QUrl base;
    {
        // A port that was just free and is no longer listened on.
        TTestServer closed;
        ASSERT_TRUE(closed.Listening);
        base = closed.Base();
    }
    TLibraryStore store;
    TLibraryDownload download;

    TOutcome outcome = Download(download, base, store);

    ASSERT_TRUE(outcome.Ended);
    EXPECT_FALSE(outcome.Ok);
    EXPECT_EQ(outcome.Message, QStringLiteral("Не Удалось Получить Данные С Сервера"));
    EXPECT_EQ(download.Failure(), TLibraryDownload::TFailure::Refused);
    EXPECT_FALSE(outcome.Statuses.contains(QStringLiteral("Соединение С Сервером Установлено")));
    EXPECT_EQ(store.PairCount(), 0u);
    EXPECT_FALSE(TempFileLeft());
}

TEST(LibraryDownload, AnHttpErrorFailsEvenWithALibraryInTheBody)
{
    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.Answer(
        "HTTP/1.0 404 Not Found\r\nContent-Length: " + QByteArray::number(Library.size()) + "\r\n\r\n" + Library);
    TLibraryStore store;
    TLibraryDownload download;

    TOutcome outcome = Download(download, server.Base(), store);

    ASSERT_TRUE(outcome.Ended);
    EXPECT_FALSE(outcome.Ok);
    EXPECT_EQ(download.Failure(), TLibraryDownload::TFailure::Http);
    EXPECT_EQ(store.PairCount(), 0u);
    EXPECT_FALSE(TempFileLeft());
}

TEST(LibraryDownload, ABodyOverFourMegabytesIsRefused)
{
    QByteArray big = Library + QByteArray(TLibraryDownload::MaxBodySize + 1 - Library.size(), ';');
    for (bool withLength : {true, false}) {
        SCOPED_TRACE(withLength ? "declared length" : "no declared length");
        TTestServer server;
        ASSERT_TRUE(server.Listening);
        server.Answer(TTestServer::Ok(big, withLength), !withLength);
        TLibraryStore store;
        TLibraryDownload download;

        TOutcome outcome = Download(download, server.Base(), store);

        ASSERT_TRUE(outcome.Ended);
        EXPECT_FALSE(outcome.Ok);
        EXPECT_EQ(outcome.Message, QStringLiteral("Не Удалось Получить Данные С Сервера"));
        EXPECT_EQ(download.Failure(), TLibraryDownload::TFailure::TooLarge);
        EXPECT_EQ(store.PairCount(), 0u);
        EXPECT_FALSE(TempFileLeft());
    }
}

TEST(LibraryDownload, ABodyOfExactlyFourMegabytesIsMerged)
{
    // The padding is one long comment line after the sections.
    QByteArray body = Library + ";";
    body += QByteArray(TLibraryDownload::MaxBodySize - body.size(), 'x');
    ASSERT_EQ(body.size(), TLibraryDownload::MaxBodySize);
    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.Answer(TTestServer::Ok(body, false), true);
    TLibraryStore store;
    TLibraryDownload download;

    TOutcome outcome = Download(download, server.Base(), store);

    ASSERT_TRUE(outcome.Ended);
    EXPECT_TRUE(outcome.Ok) << download.Detail().toStdString();
    EXPECT_EQ(outcome.Message, QStringLiteral("Закачано Пар:2, Лексем:1"));
    EXPECT_FALSE(TempFileLeft());
}

TEST(LibraryDownload, TheBaseUrlComesFromTheSettings)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString path = dir.filePath(QStringLiteral("QZ.Ini"));
    EXPECT_EQ(TLibraryDownload::BaseUrl(path), QUrl(QStringLiteral("http://tekstovar.example.org")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\r\nLibraryServer=http://127.0.0.1:8080/lib\r\n");
    file.close();
    EXPECT_EQ(TLibraryDownload::BaseUrl(path), QUrl(QStringLiteral("http://127.0.0.1:8080/lib")));
}

TEST(LibraryDownload, TheBodyGoesToAFreshPrivateFileNeverThroughALinkAtTheOldName)
{
    // Another user's link where the download used to write its body.
    const QDir temp(QDir::tempPath());
    const QString victim = temp.filePath(QStringLiteral("precious.txt"));
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    const QString planted = temp.filePath(QStringLiteral("QZLib.Tmp"));
    const QStringList planter{QStringLiteral("QZLib.Tmp"), QStringLiteral("precious.txt")};
    ASSERT_TRUE(QFile::link(victim, planted));
    auto readVictim = [&] {
        QFile file(victim);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
    };

    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.Answer(TTestServer::Ok(Library));
    TLibraryStore store;
    TLibraryDownload download;
    TOutcome outcome = Download(download, server.Base(), store);
    ASSERT_TRUE(outcome.Ended);
    EXPECT_TRUE(outcome.Ok) << download.Detail().toStdString();
    EXPECT_EQ(store.PairCount(), 2u);
    EXPECT_EQ(readVictim(), QByteArray("keep me"));
    EXPECT_EQ(Leftovers(), planter);

    // While a transfer runs its file is its own: new, owner-only, not the link.
    server.KeepSilent();
    download.Start(server.Base(), store);
    const QString body = download.TempFileName();
    ASSERT_FALSE(body.isEmpty());
    EXPECT_NE(QFileInfo(body).fileName(), QStringLiteral("QZLib.Tmp"));
    EXPECT_FALSE(QFileInfo(body).isSymLink());
    EXPECT_EQ(QFile::permissions(body) & ~(QFile::ReadUser | QFile::WriteUser), QFile::ReadOwner | QFile::WriteOwner);
    download.Cancel();
    EXPECT_FALSE(QFile::exists(body));
    EXPECT_EQ(Leftovers(), planter);
    EXPECT_EQ(readVictim(), QByteArray("keep me"));
    QFile::remove(planted);
    QFile::remove(victim);
}

TEST(LibraryDownload, ADrippingServerIsCutAtTheDeadline)
{
    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.Drip(100);
    TLibraryStore store;
    store.AppendPair("old", "new", "kept");
    TLibraryDownload download;
    QSignalSpy received(&download, &TLibraryDownload::Downloading);
    QElapsedTimer clock;
    clock.start();

    // Never silent for the 2 s the silence may last, so only the deadline ends it.
    TOutcome outcome = Download(download, server.Base(), store, 2000, 800);

    ASSERT_TRUE(outcome.Ended);
    EXPECT_GE(clock.elapsed(), 700); // a coarse timer may fire 5 % early
    EXPECT_GE(received.size(), 2);
    EXPECT_FALSE(outcome.Ok);
    EXPECT_EQ(outcome.Message, QStringLiteral("Не Удалось Получить Данные С Сервера"));
    EXPECT_EQ(download.Failure(), TLibraryDownload::TFailure::Deadline);
    EXPECT_EQ(store.PairCount(), 1u);
    EXPECT_FALSE(download.Running());
    EXPECT_FALSE(TempFileLeft());
}

TEST(LibraryDownload, ACancelEndsTheDownloadAtOnceAndTheNextOneWorks)
{
    TTestServer server;
    ASSERT_TRUE(server.Listening);
    server.Drip(50);
    TLibraryStore store;
    TLibraryDownload download;
    QSignalSpy finished(&download, &TLibraryDownload::Finished);
    QSignalSpy status(&download, &TLibraryDownload::Status);
    QSignalSpy received(&download, &TLibraryDownload::Downloading);
    download.Start(server.Base(), store);
    ASSERT_TRUE(received.wait(WaitMs));

    download.Cancel();

    ASSERT_EQ(finished.size(), 1);
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    EXPECT_EQ(finished.at(0).at(1).toString(), QStringLiteral("Закачка Прервана"));
    EXPECT_EQ(status.last().at(0).toString(), QStringLiteral("Закачка Прервана"));
    EXPECT_EQ(download.Failure(), TLibraryDownload::TFailure::Cancelled);
    EXPECT_FALSE(download.Running());
    EXPECT_FALSE(TempFileLeft());
    // Nothing of the abandoned transfer arrives later.
    QTest::qWait(200);
    EXPECT_EQ(finished.size(), 1);

    server.Answer(TTestServer::Ok(Library));
    TOutcome outcome = Download(download, server.Base(), store);
    ASSERT_TRUE(outcome.Ended);
    EXPECT_TRUE(outcome.Ok);
    EXPECT_EQ(store.PairCount(), 2u);
    EXPECT_FALSE(TempFileLeft());
}
