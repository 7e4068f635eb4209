#include "shell/trayicon.h"

#include "shell/appicon.h"
#include "text/strings.h"

CTrayIcon::CTrayIcon(unsigned id, std::unique_ptr<kelvara::TrayHost> host)
    : m_id(id), m_host(host ? std::move(host) : std::make_unique<kelvara::SystemTrayHost>())
{
    connect(m_host.get(), &kelvara::TrayHost::Event, this,
            [this](kelvara::TrayEvent event) { emit Notify(m_id, event); });
    connect(m_host.get(), &kelvara::TrayHost::Lost, this, [this] {
        // Still added: the next Update asks the tray that comes back to show it again.
        m_visible = false;
        emit Lost();
    });
    connect(m_host.get(), &kelvara::TrayHost::Appeared, this, &CTrayIcon::Appeared);
}

CTrayIcon::~CTrayIcon()
{
    Remove();
}

void CTrayIcon::SetTooltip(unsigned stringId)
{
    const std::string& text = kelvara::LoadString(stringId);
    if (!text.empty())
        m_tooltip = QString::fromStdString(text);
}

void CTrayIcon::SetTooltip(const QString& text)
{
    m_tooltip = text;
}

bool CTrayIcon::AddIcon(unsigned resourceId, bool append)
{
    return AddIcon(kelvara::LoadIconResource(resourceId, kMaxIconSize), append);
}

bool CTrayIcon::AddIcon(const QIcon& icon, bool append)
{
    if (icon.isNull())
        return false;
    if (!append) {
        m_icons.clear();
        m_current = 0;
    }
    m_icons.push_back(icon);
    return true;
}

bool CTrayIcon::Update()
{
    if (m_current >= m_icons.size())
        return false;
    const QIcon& icon = m_icons[m_current];
    const bool ok = m_added ? m_host->Modify(icon, m_tooltip) : m_host->Add(icon, m_tooltip);
    if (!ok)
        return false;
    m_added = true;
    m_visible = true;
    return true;
}

bool CTrayIcon::ShowBalloon(const QString& title, const QString& text, int timeout, unsigned icon)
{
    if (!m_visible)
        return false;
    return m_host->ShowBalloon(title, text, timeout, icon);
}

bool CTrayIcon::ShowBalloon(unsigned titleId, unsigned textId, int timeout, unsigned icon)
{
    return ShowBalloon(QString::fromStdString(kelvara::LoadString(titleId)),
                       QString::fromStdString(kelvara::LoadString(textId)), timeout, icon);
}

bool CTrayIcon::Remove()
{
    if (m_added) {
        if (!m_host->Delete())
            return false;
        m_added = false;
    }
    m_visible = false;
    return true;
}

void CTrayIcon::SetMenu(QMenu* menu)
{
    m_host->SetMenu(menu);
}
