#ifndef ZARVY_IMAGE_REGULARFILE_H
#define ZARVY_IMAGE_REGULARFILE_H

#include <cstdint>
#include <string>
#include <vector>

// Reads the whole file at `path` into `bytes`, or returns false if it is not
// a regular file of at most `largestBytes` bytes or cannot be read. The
// file's kind and size are looked at before a byte is read, so a FIFO, a
// pipe, a device, a socket or a folder can neither stall the caller nor feed
// it without end. A file that shrinks meanwhile is read as far as it goes;
// one that grows is read up to its size when it was opened.
bool readRegularFile(const std::string& path, int64_t largestBytes, std::vector<unsigned char>& bytes);

#endif
