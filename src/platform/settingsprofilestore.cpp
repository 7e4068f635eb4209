#include "platform/settingsprofilestore.h"

#include "catalogue/leadingnumber.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace kelvara {

namespace {
QString Key(const std::string& section, const std::string& entry)
{
    QString key = QString::fromStdString(section);
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!key.isEmpty() && !key.endsWith(QLatin1Char('/')))
        key += QLatin1Char('/');
    return key + QString::fromStdString(entry);
}

// INI values come back as text; an unquoted value with commas comes back as a list.
QString Text(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}
} // namespace

SettingsProfileStore::SettingsProfileStore(Access access)
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Brask"), QStringLiteral("Kelvara"))),
      m_readOnly(access == Access::ReadOnly)
{
}

SettingsProfileStore::SettingsProfileStore(const std::string& path, Access access)
    : m_settings(std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat)),
      m_readOnly(access == Access::ReadOnly)
{
}

SettingsProfileStore::~SettingsProfileStore() = default;

int SettingsProfileStore::GetProfileInt(const std::string& section, const std::string& entry,
                                        int defaultValue) const
{
    const QVariant value = m_settings->value(Key(section, entry));
    if (!value.isValid())
        return defaultValue;
    if (value.typeId() == QMetaType::Int)
        return value.toInt();
    // As with a text value in the registry, the leading number counts; the store keeps 32 bits.
    return static_cast<int>(ReadLeadingInteger(Text(value).toStdString()));
}

bool SettingsProfileStore::GetProfileString(const std::string& section, const std::string& entry,
                                            std::string& value) const
{
    const QVariant stored = m_settings->value(Key(section, entry));
    if (!stored.isValid())
        return false;
    value = Text(stored).toStdString();
    return true;
}

bool SettingsProfileStore::WriteProfileInt(const std::string& section, const std::string& entry, int value)
{
    if (m_readOnly)
        return false;
    m_settings->setValue(Key(section, entry), value);
    return Sync();
}

bool SettingsProfileStore::WriteProfileString(const std::string& section, const std::string& entry,
                                              const std::string& value)
{
    if (m_readOnly)
        return false;
    m_settings->setValue(Key(section, entry), QString::fromStdString(value));
    return Sync();
}

std::string SettingsProfileStore::GetLocation() const
{
    return m_settings->fileName().toStdString();
}

bool SettingsProfileStore::Sync()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

} // namespace kelvara
