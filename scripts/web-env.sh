# Sourced by the browser build's scripts: what Debian's Emscripten needs on
# this machine.
# Debian's emscripten finds its JavaScript parser (acorn) among Debian's
# node modules, which a node from outside Debian does not search.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# Debian ships Emscripten's system libraries prebuilt in a read-only cache
# (FROZEN_CACHE): a cache of one's own would have to build them, which the
# packaged tool refuses. Another EM_CACHE from the caller is not used.
unset EM_CACHE
