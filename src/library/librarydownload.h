#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <thread>

class QTemporaryFile;

namespace tekstovar {

class TLibraryStore;
struct TLibMergeCount;

// Fetches the published library file from the library server and merges it
// into a library. The transfer runs on the caller's event loop and the merge
// on a thread of its own: Start returns at once and Finished reports the
// end, so the window stays painted while the server is slow or the library
// large.
class TLibraryDownload : public QObject {
    Q_OBJECT
public:
    // Why a download failed; the user sees one message for all of them but
    // a cancel, which the user asked for.
    enum class TFailure {
        None,
        Busy,
        TimedOut,
        Deadline,
        Cancelled,
        Refused,
        Network,
        Http,
        TooLarge,
        TempFile,
        Merge
    };
    Q_ENUM(TFailure)

    static constexpr int DefaultTimeoutMs = 10000;
    static constexpr int DefaultDeadlineMs = 60000;
    // A library is a few hundred kilobytes; anything far larger is not one.
    static constexpr qint64 MaxBodySize = 4 * 1024 * 1024;

    explicit TLibraryDownload(QObject* parent = nullptr);
    ~TLibraryDownload() override;

    // The server's base URL from the settings (key "LibraryServer" of
    // [General]) when set, the public server otherwise.
    static QUrl BaseUrl(const QString& iniPath);
    static QUrl DefaultBaseUrl();

    // Gets base + "/QZ/Lib/QZLib.Tmp" and merges it into `store`, which must
    // outlive the download and is changed only by the download meanwhile.
    // `timeoutMs` is the longest silence tolerated from the server,
    // `deadlineMs` the longest the transfer may take however steadily it
    // drips. A second Start while one runs fails at once (Busy).
    void Start(
        const QUrl& base, TLibraryStore& store, int timeoutMs = DefaultTimeoutMs, int deadlineMs = DefaultDeadlineMs);
    // Ends a running download at once (Finished reports Cancelled); a merge
    // already under way runs to its end unseen.
    void Cancel();
    bool Running() const { return Active; }
    TFailure Failure() const { return LastFailure; }
    // The network layer's own words on the last failure, for a log.
    QString Detail() const { return LastDetail; }
    // What the last merge left out (entries too long to keep) in one
    // message for the user; empty when it took everything.
    QString Refused() const { return LastRefused; }
    // The private file the body goes to while a download runs; empty
    // otherwise. It is made afresh for each download, readable by its owner
    // only, and deleted whatever the outcome.
    QString TempFileName() const;
    // The file name pattern of those files, in the temporary directory.
    static QString TempFileTemplate();

    static QString ConnectingText();
    static QString ConnectedText();
    static QString FailureText();
    static QString CancelledText();
    static QString MergedText(int pairs, int lexems);

signals:
    // The status panel's text: connecting, connected, then the merge count
    // (or the cancel).
    void Status(const QString& text);
    // Bytes of the body received so far.
    void Downloading(qint64 received);
    // `message` is the merge count on success, the cancel text after a
    // cancel and the failure text otherwise.
    void Finished(bool ok, const QString& message);

private:
    struct TMerge;

    void ReadBody();
    void CheckLength();
    void Done();
    void StartMerge();
    void Merged(unsigned generation, const std::shared_ptr<TMerge>& merge);
    // Drops the reply without waiting for it to say anything more.
    void Abandon(TFailure failure, const QString& detail = {});
    void Fail(TFailure failure, const QString& detail);
    void Finish(bool ok, const QString& message);
    void JoinMerge();

    QNetworkAccessManager Manager;
    QPointer<QNetworkReply> Reply;
    QTimer Silence;
    QTimer Deadline;
    std::unique_ptr<QTemporaryFile> Body;
    TLibraryStore* Store = nullptr;
    std::thread MergeThread;
    // Tells a merge's result from that of a download cancelled before it.
    unsigned Generation = 0;
    bool Active = false;
    qint64 Received = 0;
    bool ConnectedSent = false;
    TFailure LastFailure = TFailure::None;
    QString LastDetail;
    QString LastRefused;
};

} // namespace tekstovar
