#pragma once

#include <QString>

class QUrl;

namespace tarnwell {

// Which local files the Browser screen may load: only files and folders that
// exist within one folder, however a page spells their addresses (links
// resolved, ".." worked out, every escape decoded, "%2F" too, as the viewer
// decodes them before it opens a file). Addresses of other kinds pass.
class FileGuard final
{
public:
    // An empty or missing folder lets no local file through.
    explicit FileGuard(const QString &folder);

    bool allows(const QUrl &address) const;

private:
    QString m_folder; // canonical, ending in "/"; empty when there is none
};

} // namespace tarnwell
