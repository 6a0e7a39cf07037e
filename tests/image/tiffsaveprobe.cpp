// Saves a patterned image under a file size limit, in a process of its own so that the limit
// binds nothing else:
//
//   tiffsaveprobe LIMIT-BYTES PATH-WITHOUT-EXTENSION WIDTH HEIGHT
//
// Prints "true" or "false", the result of the save.

#include "tifftestfiles.h"

#include "image/tiffcodec.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5)
        return 2;
    ImageFile image;
    tifftest::fillPattern(image, args.at(3).toInt(), args.at(4).toInt());

    // Past the limit a write fails with EFBIG instead of the process being stopped.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlim_t limit = args.at(1).toULongLong();
    const rlimit rl{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0)
        return 3;
    std::printf("%s\n", writeTiffFile(args.at(2), image) ? "true" : "false");
    return 0;
}
