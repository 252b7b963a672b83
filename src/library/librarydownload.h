#pragma once

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

namespace tekstovar {

class TLibraryStore;

// Fetches the published library file from the library server and merges it
// into a library. The transfer runs on the caller's event loop: Start
// returns at once and Finished reports the end, so the window stays painted
// while the server is slow.
class TLibraryDownload : public QObject {
    Q_OBJECT
public:
    // Why a download failed; the user sees one message for all of them.
    enum class TFailure { None, Busy, TimedOut, Refused, Network, Http, TooLarge, TempFile, Merge };
    Q_ENUM(TFailure)

    static constexpr int DefaultTimeoutMs = 10000;
    // A library is a few hundred kilobytes; anything far larger is not one.
    static constexpr qint64 MaxBodySize = 4 * 1024 * 1024;

    explicit TLibraryDownload(QObject* parent = nullptr);
    ~TLibraryDownload() override;

    // The server's base URL from the settings (key "LibraryServer" of
    // [General]) when set, the public server otherwise.
    static QUrl BaseUrl(const QString& iniPath);
    static QUrl DefaultBaseUrl();
    // "QZLib.Tmp" in the temporary directory: the body lands here and is
    // deleted when the download ends, whatever the outcome.
    static QString TempFilePath();

    // Gets base + "/QZ/Lib/QZLib.Tmp" and merges it into `store`, which must
    // outlive the download. `timeoutMs` is the longest silence tolerated
    // from the server. A second Start while one runs fails at once (Busy).
    void Start(const QUrl& base, TLibraryStore& store, int timeoutMs = DefaultTimeoutMs);
    bool Running() const { return Reply != nullptr; }
    TFailure Failure() const { return LastFailure; }
    // The network layer's own words on the last failure, for a log.
    QString Detail() const { return LastDetail; }

    static QString ConnectingText();
    static QString ConnectedText();
    static QString FailureText();
    static QString MergedText(int pairs, int lexems);

signals:
    // The status panel's text: connecting, connected, then the merge count.
    void Status(const QString& text);
    // Bytes of the body received so far.
    void Downloading(qint64 received);
    // `message` is the merge count on success and the failure text otherwise.
    void Finished(bool ok, const QString& message);

private:
    void ReadBody();
    void CheckLength();
    void TimedOut();
    void Done();
    void Fail(TFailure failure, const QString& detail);
    void Finish(bool ok, const QString& message);

    QNetworkAccessManager Manager;
    QPointer<QNetworkReply> Reply;
    QTimer Silence;
    QFile Body;
    TLibraryStore* Store = nullptr;
    qint64 Received = 0;
    bool ConnectedSent = false;
    TFailure Pending = TFailure::None; // why we aborted the reply ourselves
    TFailure LastFailure = TFailure::None;
    QString LastDetail;
};

} // namespace tekstovar
