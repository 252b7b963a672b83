#include "library/librarydownload.h"

#include "library/librarystore.h"
#include "settings/inifile.h"

#include <QDir>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <exception>

namespace tekstovar {

namespace {

const QString DownloadPath = QStringLiteral("/QZ/Lib/QZLib.Tmp");

} // namespace

TLibraryDownload::TLibraryDownload(QObject* parent) : QObject(parent)
{
    // The server is reached directly, never through a proxy from the
    // environment.
    Manager.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    Silence.setSingleShot(true);
    connect(&Silence, &QTimer::timeout, this, &TLibraryDownload::TimedOut);
}

TLibraryDownload::~TLibraryDownload()
{
    if (!Reply)
        return;
    // No Finished from a download that outlives its owner.
    Reply->disconnect(this);
    Reply->abort();
    Body.close();
    Body.remove();
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

QString TLibraryDownload::TempFilePath() { return QDir(QDir::tempPath()).filePath(QStringLiteral("QZLib.Tmp")); }

QString TLibraryDownload::ConnectingText() { return QStringLiteral("Соединение С Сервером..."); }

QString TLibraryDownload::ConnectedText() { return QStringLiteral("Соединение С Сервером Установлено"); }

QString TLibraryDownload::FailureText() { return QStringLiteral("Не Удалось Получить Данные С Сервера"); }

QString TLibraryDownload::MergedText(int pairs, int lexems)
{
    return QStringLiteral("Закачано Пар:%1, Лексем:%2").arg(pairs).arg(lexems);
}

void TLibraryDownload::Start(const QUrl& base, TLibraryStore& store, int timeoutMs)
{
    if (Running()) {
        // The running download keeps its file and its reply.
        LastFailure = TFailure::Busy;
        LastDetail.clear();
        emit Finished(false, FailureText());
        return;
    }
    Store = &store;
    Received = 0;
    ConnectedSent = false;
    Pending = TFailure::None;
    LastFailure = TFailure::None;
    LastDetail.clear();

    emit Status(ConnectingText());

    Body.setFileName(TempFilePath());
    if (!Body.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Fail(TFailure::TempFile, Body.errorString());
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
}

void TLibraryDownload::CheckLength()
{
    if (!Reply || Pending != TFailure::None)
        return;
    bool known = false;
    qint64 length = Reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && length > MaxBodySize) {
        Pending = TFailure::TooLarge;
        Reply->abort();
    }
}

void TLibraryDownload::ReadBody()
{
    if (!Reply || Pending != TFailure::None)
        return;
    QByteArray chunk = Reply->readAll();
    if (chunk.isEmpty())
        return;
    Received += chunk.size();
    if (Received > MaxBodySize) {
        Pending = TFailure::TooLarge;
        Reply->abort();
        return;
    }
    if (Body.write(chunk) != chunk.size()) {
        Pending = TFailure::TempFile;
        LastDetail = Body.errorString();
        Reply->abort();
        return;
    }
    // The time-out counts silence, so a slow but steady server is served.
    Silence.start();
    emit Downloading(Received);
}

void TLibraryDownload::TimedOut()
{
    if (!Reply || Pending != TFailure::None)
        return;
    Pending = TFailure::TimedOut;
    Reply->abort();
}

void TLibraryDownload::Done()
{
    Silence.stop();
    if (!Reply)
        return;
    ReadBody(); // whatever arrived with the end of the transfer
    QNetworkReply* reply = Reply;
    Reply = nullptr;
    reply->deleteLater();

    if (Pending != TFailure::None) {
        Fail(Pending, LastDetail.isEmpty() ? reply->errorString() : LastDetail);
        return;
    }
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

    Body.close();
    TLibMergeCount count;
    try {
        count = Store->ReadLibrary(QFile::encodeName(Body.fileName()).toStdString());
    } catch (const std::exception& failure) {
        Fail(TFailure::Merge, QString::fromUtf8(failure.what()));
        return;
    }
    Body.remove();
    Finish(true, MergedText(count.Pairs, count.Lexems));
}

void TLibraryDownload::Fail(TFailure failure, const QString& detail)
{
    Silence.stop();
    if (Body.isOpen())
        Body.close();
    Body.remove();
    LastFailure = failure;
    LastDetail = detail;
    Finish(false, FailureText());
}

void TLibraryDownload::Finish(bool ok, const QString& message)
{
    Store = nullptr;
    // A failure empties the status panel; a success shows the count.
    emit Status(ok ? message : QString());
    emit Finished(ok, message);
}

} // namespace tekstovar
