#include "library/librarydownload.h"

#include "library/librarystore.h"
#include "settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTemporaryFile>

#include <exception>
#include <string>

namespace tekstovar {

namespace {

const QString DownloadPath = QStringLiteral("/QZ/Lib/QZLib.Tmp");

} // namespace

// The merge works on a copy of the library, so that the window may go on
// painting the original meanwhile; the copy replaces it when done.
struct TLibraryDownload::TMerge {
    TLibraryStore Store;
    std::string Path;
    TLibMergeCount Count;
    std::string Error;
    bool Ok = false;
};

TLibraryDownload::TLibraryDownload(QObject* parent) : QObject(parent)
{
    // The server is reached directly, never through a proxy from the
    // environment.
    Manager.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    Silence.setSingleShot(true);
    Deadline.setSingleShot(true);
    connect(&Silence, &QTimer::timeout, this,
        [this] { Abandon(TFailure::TimedOut, QStringLiteral("No data for %1 ms").arg(Silence.interval())); });
    connect(&Deadline, &QTimer::timeout, this,
        [this] { Abandon(TFailure::Deadline, QStringLiteral("Not done in %1 ms").arg(Deadline.interval())); });
}

TLibraryDownload::~TLibraryDownload()
{
    // No Finished from a download that outlives its owner.
    if (Reply) {
        Reply->disconnect(this);
        Reply->abort();
    }
    // The merge's result is posted to this object, which drops it when it
    // goes; the thread itself must end first.
    JoinMerge();
}

QUrl TLibraryDownload::DefaultBaseUrl() { return QUrl(QStringLiteral("http://tekstovar.example.org")); }

QUrl TLibraryDownload::BaseUrl(const QString& iniPath)
{
    IniFile ini(QFile::encodeName(iniPath).toStdString());
    std::string value = ini.ReadString("General", "LibraryServer", "");
    if (value.empty())
        return DefaultBaseUrl();
    QUrl url(QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size())));
    return url.isValid() ? url : DefaultBaseUrl();
}

QString TLibraryDownload::TempFileName() const { return Body ? Body->fileName() : QString(); }

QString TLibraryDownload::TempFileTemplate() { return QStringLiteral("QZLib-XXXXXX.Tmp"); }

QString TLibraryDownload::ConnectingText() { return QStringLiteral("Соединение С Сервером..."); }

QString TLibraryDownload::ConnectedText() { return QStringLiteral("Соединение С Сервером Установлено"); }

QString TLibraryDownload::FailureText() { return QStringLiteral("Не Удалось Получить Данные С Сервера"); }

QString TLibraryDownload::CancelledText() { return QStringLiteral("Закачка Прервана"); }

QString TLibraryDownload::MergedText(int pairs, int lexems)
{
    return QStringLiteral("Закачано Пар:%1, Лексем:%2").arg(pairs).arg(lexems);
}

void TLibraryDownload::Start(const QUrl& base, TLibraryStore& store, int timeoutMs, int deadlineMs)
{
    if (Running()) {
        // The running download keeps its file and its reply.
        LastFailure = TFailure::Busy;
        LastDetail.clear();
        emit Finished(false, FailureText());
        return;
    }
    // A cancelled download's merge may still be reading; it ends soon.
    JoinMerge();
    ++Generation;
    Active = true;
    Store = &store;
    Received = 0;
    ConnectedSent = false;
    LastFailure = TFailure::None;
    LastDetail.clear();
    LastRefused.clear();

    emit Status(ConnectingText());

    // A fresh name, created exclusively and readable by its owner only: a
    // fixed name in the shared temporary directory could be a link planted
    // by another user to a file of ours.
    Body = std::make_unique<QTemporaryFile>(QDir(QDir::tempPath()).filePath(TempFileTemplate()));
    if (!Body->open()) {
        Fail(TFailure::TempFile, Body->errorString());
        return;
    }

    QUrl url = base;
    QString path = base.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path + DownloadPath);
    QNetworkRequest request(url);
    // One plain request and one answer: nothing to gain from HTTP/2.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);

    Reply = Manager.get(request);
    auto connected = [this] {
        if (ConnectedSent)
            return;
        ConnectedSent = true;
        emit Status(ConnectedText());
    };
    connect(Reply, &QNetworkReply::requestSent, this, connected);
    connect(Reply, &QNetworkReply::metaDataChanged, this, [this, connected] {
        connected();
        CheckLength();
    });
    connect(Reply, &QNetworkReply::readyRead, this, &TLibraryDownload::ReadBody);
    connect(Reply, &QNetworkReply::finished, this, &TLibraryDownload::Done);
    Silence.start(timeoutMs);
    Deadline.start(deadlineMs);
}

void TLibraryDownload::Cancel()
{
    if (!Active)
        return;
    if (Reply) {
        Abandon(TFailure::Cancelled);
        return;
    }
    // The merge is under way: its result will be dropped.
    Fail(TFailure::Cancelled, {});
}

void TLibraryDownload::CheckLength()
{
    if (!Reply)
        return;
    bool known = false;
    qint64 length = Reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && length > MaxBodySize)
        Abandon(TFailure::TooLarge);
}

void TLibraryDownload::ReadBody()
{
    if (!Reply)
        return;
    QByteArray chunk = Reply->readAll();
    if (chunk.isEmpty())
        return;
    Received += chunk.size();
    if (Received > MaxBodySize) {
        Abandon(TFailure::TooLarge);
        return;
    }
    if (Body->write(chunk) != chunk.size()) {
        Abandon(TFailure::TempFile, Body->errorString());
        return;
    }
    // The time-out counts silence, so a slow but steady server is served
    // until the deadline.
    Silence.start();
    emit Downloading(Received);
}

void TLibraryDownload::Abandon(TFailure failure, const QString& detail)
{
    if (!Reply)
        return;
    QNetworkReply* reply = Reply;
    Reply = nullptr;
    // Whatever the reply still emits while it goes is not ours to handle.
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    Fail(failure, detail.isEmpty() ? reply->errorString() : detail);
}

void TLibraryDownload::Done()
{
    if (!Reply)
        return;
    ReadBody(); // whatever arrived with the end of the transfer
    if (!Reply)
        return;
    Silence.stop();
    Deadline.stop();
    QNetworkReply* reply = Reply;
    Reply = nullptr;
    reply->deleteLater();

    QNetworkReply::NetworkError error = reply->error();
    int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (error == QNetworkReply::ConnectionRefusedError) {
        Fail(TFailure::Refused, reply->errorString());
        return;
    }
    if (status != 0 && (status < 200 || status > 299)) {
        Fail(TFailure::Http, reply->errorString());
        return;
    }
    if (error != QNetworkReply::NoError) {
        Fail(TFailure::Network, reply->errorString());
        return;
    }
    if (!Body->flush()) {
        Fail(TFailure::TempFile, Body->errorString());
        return;
    }
    StartMerge();
}

void TLibraryDownload::StartMerge()
{
    auto merge = std::make_shared<TMerge>();
    merge->Store = *Store;
    merge->Path = QFile::encodeName(Body->fileName()).toStdString();
    const unsigned generation = Generation;
    MergeThread = std::thread([this, merge, generation] {
        try {
            merge->Count = merge->Store.ReadLibrary(merge->Path);
            merge->Ok = true;
        } catch (const std::exception& failure) {
            merge->Error = failure.what();
        }
        QMetaObject::invokeMethod(
            this, [this, merge, generation] { Merged(generation, merge); }, Qt::QueuedConnection);
    });
}

void TLibraryDownload::Merged(unsigned generation, const std::shared_ptr<TMerge>& merge)
{
    // A later Start joined the thread of an earlier generation already.
    if (generation != Generation)
        return;
    JoinMerge();
    if (!Active)
        return; // cancelled while merging
    if (!merge->Ok) {
        Fail(TFailure::Merge, QString::fromUtf8(merge->Error));
        return;
    }
    Body.reset();
    *Store = std::move(merge->Store);
    LastRefused = QString::fromStdString(merge->Count.RefusedMessage);
    Finish(true, MergedText(merge->Count.Pairs, merge->Count.Lexems));
}

void TLibraryDownload::JoinMerge()
{
    if (MergeThread.joinable())
        MergeThread.join();
}

void TLibraryDownload::Fail(TFailure failure, const QString& detail)
{
    Silence.stop();
    Deadline.stop();
    Body.reset(); // removes the file
    LastFailure = failure;
    LastDetail = detail;
    Finish(false, failure == TFailure::Cancelled ? CancelledText() : FailureText());
}

void TLibraryDownload::Finish(bool ok, const QString& message)
{
    Active = false;
    Store = nullptr;
    // A failure empties the status panel; a success shows the count and a
    // cancel says it was one.
    emit Status(ok || LastFailure == TFailure::Cancelled ? message : QString());
    emit Finished(ok, message);
}

} // namespace tekstovar
