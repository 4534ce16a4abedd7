#include "page_tools.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEnginePage>
#include <functional>

namespace tarnwell {

namespace {

// The tools' own page, which tells the answers it gets.
class ToolsPage final : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;
    std::function<void(int)> answered;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message, int,
                                  const QString &) override
    {
        const QJsonObject answer = QJsonDocument::fromJson(message.toUtf8()).object();
        if (answered && answer.contains(QLatin1String("id")))
            answered(answer.value(QLatin1String("id")).toInt());
    }
};

} // namespace

PageTools::PageTools(QWebEnginePage *page) : QObject(page), m_page(page)
{
    auto *tools = new ToolsPage(page->profile(), this);
    tools->answered = [this](int id) {
        // A page is laid out as a phone, or not, from its start.
        if (id == m_relayOutAfter) {
            m_relayOutAfter = 0;
            m_page->triggerAction(QWebEnginePage::Reload);
        }
    };
    m_tools = tools;
    // The channel opens once the tools' page has loaded.
    connect(m_tools, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        m_ready = ok;
        m_tools->runJavaScript(QStringLiteral(
            "DevToolsAPI.dispatchMessage = function (message) { console.log(message); };"));
        flush();
    });
    m_tools->setInspectedPage(page);
}

void PageTools::layOutAsPhone(bool phone, int height)
{
    height = qMax(height, 1);
    if (phone == m_phone && (!phone || height == m_height))
        return;
    const bool relayOut = phone != m_phone;
    m_phone = phone;
    m_height = height;
    if (!phone) {
        send(QStringLiteral("Emulation.clearDeviceMetricsOverride"));
        m_relayOutAfter = m_lastId;
        return;
    }
    // The screen's own density: only CSS pixels matter to the layout.
    send(QStringLiteral("Emulation.setDeviceMetricsOverride"),
         {{QStringLiteral("width"), kPhoneWidth},
          {QStringLiteral("height"), height},
          {QStringLiteral("deviceScaleFactor"), 0},
          {QStringLiteral("mobile"), true}});
    if (relayOut)
        m_relayOutAfter = m_lastId;
}

void PageTools::stopScript()
{
    send(QStringLiteral("Runtime.terminateExecution"));
}

void PageTools::send(const QString &method, const QJsonObject &parameters)
{
    const QJsonObject message{{QStringLiteral("id"), ++m_lastId},
                              {QStringLiteral("method"), method},
                              {QStringLiteral("params"), parameters}};
    m_waiting << QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
    flush();
}

void PageTools::flush()
{
    if (!m_ready)
        return;
    for (const QString &message : std::as_const(m_waiting)) {
        // The message as a JavaScript string, within an array.
        const QString argument =
            QString::fromUtf8(QJsonDocument(QJsonArray{message}).toJson(QJsonDocument::Compact));
        m_tools->runJavaScript(
            QStringLiteral("DevToolsAPI.sendMessageToEmbedder('dispatchProtocolMessage', %1, null)")
                .arg(argument));
    }
    m_waiting.clear();
}

} // namespace tarnwell
