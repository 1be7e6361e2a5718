#include "HttpFetch.h"

#include "Settings.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>
#include <memory>

HttpFetch::Result HttpFetch::get(const QUrl& url, int timeoutMs)
{
    Result result;
    if (!url.isValid() || url.isRelative())
        return result;
    if (timeoutMs < 0)
        timeoutMs = Settings::number(Settings::HttpTimeoutMs);

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(m_manager.get(request));

    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        limit.start(std::max(timeoutMs, 0));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!reply->isFinished()) {
        // Out of time: drop the request so nothing arrives after we have given up.
        reply->abort();
        return result;
    }

    // A status line means the server answered; error pages count as answers too, since
    // the caller only looks at the text.
    result.answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (result.answered)
        result.body = QString::fromUtf8(reply->readAll());
    return result;
}
