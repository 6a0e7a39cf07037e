#pragma once

#include <QFileSystemWatcher>
#include <QRecursiveMutex>
#include <QSettings>

// An INI settings store that forces its file onto the disk whenever the file changes.
//
// QSettings objects are not safe to share between threads; the settings objects read their store
// from the open task as well as from the GUI thread, so every user holds mutex() around its calls.
class LSettings : public QSettings
{
    Q_OBJECT

public:
    explicit LSettings(const QString &inFileName);
    LSettings(QSettings::Format inFormat, QSettings::Scope inScope, const QString &inOrganization,
              const QString &inApplication);
    ~LSettings() override;

    QRecursiveMutex &mutex() const { return lock; }

private slots:
    void onFileChanged(const QString &inPath);

private:
    QFileSystemWatcher watcher;
    mutable QRecursiveMutex lock;
};
