#include "platform/jobs/ExecutableFolder.h"

#include <QFile>

#include <sys/statvfs.h>

namespace platform {

bool AllowsExecution(const QString& folder) {
    struct statvfs info {};
    if (folder.isEmpty() || ::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return false;
    return (info.f_flag & ST_NOEXEC) == 0;
}

} // namespace platform
