#include "image/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool readRegularFile(const std::string& path, int64_t largestBytes, std::vector<unsigned char>& bytes)
{
    // Opening without blocking keeps a FIFO without a writer from stalling.
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0) {
        return false;
    }
    struct stat status = {};
    bool ok = fstat(file, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= largestBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(status.st_size));
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t count = read(file, bytes.data() + got, bytes.size() - got);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count <= 0) {
                ok = count == 0;
                break;
            }
            got += static_cast<size_t>(count);
        }
        bytes.resize(got);
    }
    close(file);
    return ok;
}
