#include "platform/settingsprofilestore.h"

#include "text/formattext.h"
#include "text/leadingnumber.h"
#include "text/strings.h"

#include <QSettings>
#include <QStringList>

#include <cctype>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvara {

namespace {

QString ToQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "Settings\Categories\3" + "SourceUnit" -> "Settings/Categories/3/SourceUnit".
QString KeyOf(const std::string& section, const std::string& entry)
{
    QString group = ToQString(section);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (group.endsWith(QLatin1Char('/')))
        group.chop(1);
    const QString name = ToQString(entry);
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

// The text of a stored value. An unquoted value with commas, as a hand-edited file may hold,
// reads back as a list; it is joined again rather than lost.
bool ReadText(const QSettings& settings, const QString& key, QString& text)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return false;
    if (value.typeId() == QMetaType::QStringList)
        text = value.toStringList().join(QLatin1Char(','));
    else
        text = value.toString();
    return true;
}

bool HasLeadingDigits(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
}

// A write counts as done unless the file could not be written. A format error only says that
// parts of the file read before the write were unusable; what could be read was kept and written
// back with the new value.
bool Written(const QSettings& settings)
{
    return settings.status() != QSettings::AccessError;
}

} // namespace

SettingsProfileStore::SettingsProfileStore(Access access) : m_readOnly(access == Access::ReadOnly)
{
}

SettingsProfileStore::SettingsProfileStore(const std::string& path, Access access)
    : m_path(path), m_readOnly(access == Access::ReadOnly)
{
}

SettingsProfileStore::~SettingsProfileStore()
{
    if (m_updateFd >= 0)
        close(m_updateFd);
}

namespace {
std::unique_ptr<QSettings> Open(const std::string& path)
{
    if (!path.empty())
        return std::make_unique<QSettings>(ToQString(path), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brask"),
                                       QStringLiteral("Kelvara"));
}
} // namespace

struct SettingsProfileStore::Kept {
    std::unique_ptr<QSettings> settings;
};

const SettingsProfileStore::Kept& SettingsProfileStore::Read(std::unique_ptr<Kept>& fresh) const
{
    std::unique_ptr<Kept>& kept = m_readOnly || m_reads > 0 ? m_kept : fresh;
    if (!kept)
        kept = std::make_unique<Kept>(Kept{Open(m_path)});
    return *kept;
}

void SettingsProfileStore::BeginReads() const
{
    ++m_reads;
}

void SettingsProfileStore::EndReads() const
{
    if (m_reads > 0 && --m_reads == 0 && !m_readOnly)
        m_kept.reset();
}

int SettingsProfileStore::GetProfileInt(const std::string& section, const std::string& entry,
                                        int defaultValue) const
{
    std::unique_ptr<Kept> fresh;
    const QSettings& settings = *Read(fresh).settings;
    QString text;
    if (!ReadText(settings, KeyOf(section, entry), text))
        return defaultValue;
    // Like a string value read as a number: its leading number counts; text without one is not a
    // number at all and gives the default, so a damaged value cannot turn an option off.
    const std::string utf8 = text.toStdString();
    return HasLeadingDigits(utf8) ? ReadLeadingInt32(utf8) : defaultValue;
}

bool SettingsProfileStore::GetProfileString(const std::string& section, const std::string& entry,
                                            std::string& value) const
{
    std::unique_ptr<Kept> fresh;
    const QSettings& settings = *Read(fresh).settings;
    QString text;
    if (!ReadText(settings, KeyOf(section, entry), text))
        return false;
    value = text.toStdString();
    return true;
}

namespace {
// Whether `path` and every link on the way from it to the file are the user's own (or absent: a
// file not there yet is made by the user).
bool OwnedAlongTheWay(std::string path)
{
    const uid_t user = geteuid();
    for (int links = 0; links < 40; ++links) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0)
            return true;
        if (st.st_uid != user)
            return false;
        if (!S_ISLNK(st.st_mode))
            return true;
        char target[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
        if (n < 0)
            return false;
        const std::string to(target, static_cast<std::size_t>(n));
        path = to.starts_with('/') ? to : path.substr(0, path.rfind('/') + 1) + to;
    }
    return false; // a loop of links is nobody's settings file
}
} // namespace

std::string SettingsProfileStore::GetWriteProblem() const
{
    const std::string location = GetLocation();
    if (location.empty() || OwnedAlongTheWay(location))
        return {};
    return FormatText(LoadString(IDS_SETTINGS_NOT_YOURS), {location});
}

void SettingsProfileStore::BeginUpdate()
{
    if (m_updates++ > 0 || m_readOnly)
        return;
    const std::string lock = GetLocation() + ".update";
    if (!OwnedAlongTheWay(lock))
        return; // nothing is written then either
    // Without a lock file (a folder not there yet, or read-only) the update goes on unlocked: its
    // write fails or is the first of all.
    m_updateFd = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_updateFd >= 0) {
        while (flock(m_updateFd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

void SettingsProfileStore::EndUpdate()
{
    if (m_updates == 0 || --m_updates > 0)
        return;
    if (m_updateFd >= 0)
        close(m_updateFd); // drops the lock
    m_updateFd = -1;
}

bool SettingsProfileStore::WriteProfileInt(const std::string& section, const std::string& entry, int value)
{
    if (m_readOnly)
        return false;
    m_kept.reset(); // the reads after this one see it
    const auto settings = Open(m_path);
    if (!OwnedAlongTheWay(settings->fileName().toStdString()))
        return false;
    settings->setValue(KeyOf(section, entry), value);
    settings->sync();
    return Written(*settings);
}

bool SettingsProfileStore::WriteProfileString(const std::string& section, const std::string& entry,
                                              const std::string& value)
{
    if (m_readOnly)
        return false;
    m_kept.reset(); // the reads after this one see it
    const auto settings = Open(m_path);
    if (!OwnedAlongTheWay(settings->fileName().toStdString()))
        return false;
    settings->setValue(KeyOf(section, entry), ToQString(value));
    settings->sync();
    return Written(*settings);
}

bool SettingsProfileStore::WriteProfileStrings(const std::vector<Value>& values)
{
    if (m_readOnly)
        return false;
    m_kept.reset();
    const auto settings = Open(m_path);
    if (!OwnedAlongTheWay(settings->fileName().toStdString()))
        return false;
    // Refuse before changing anything when the file cannot be read: the write would replace it.
    if (settings->status() == QSettings::AccessError)
        return false;
    for (const Value& value : values)
        settings->setValue(KeyOf(value.section, value.entry), ToQString(value.text));
    settings->sync();
    return Written(*settings);
}

std::string SettingsProfileStore::GetLocation() const
{
    return Open(m_path)->fileName().toStdString();
}

} // namespace kelvara
