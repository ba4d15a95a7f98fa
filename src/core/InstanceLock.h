#pragma once

// Running instances of one executable. Each running program holds an exclusive lock on a file of
// its own in a folder named after the executable's path; the file's name starts with the moment
// the program registered, so names sort in start order and only earlier instances count: two
// starts at the same moment refuse one, not each other.

#include <QString>

class InstanceLock {
public:
    // Registers this program as a running instance of `executablePath` until destroyed.
    explicit InstanceLock(const QString& executablePath);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Whether an instance that registered before this one is running.
    bool earlierInstanceRunning() const;
    // Running instances other than this one, whenever they started.
    int otherInstances() const;

private:
    int countInstances(bool earlierOnly) const;

    QString folder_;
    QString lockPath_;
    int lockFd_ = -1;
};
