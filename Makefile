# Thin wrapper over CMake: `make run` plays the game, `make test` runs every test.
BUILD ?= build
JOBS ?= 2
# Where `make install` puts the game; DESTDIR, if set, is put before it.
PREFIX ?= /usr/local
CMAKE_BUILD = cmake --build $(BUILD) -j$(JOBS)

.PHONY: all configure build run test fuzz goldens mutate install package windows web serve-web clean

all: build

configure:
	@scripts/install-deps.sh
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo > $(BUILD).configure.log 2>&1 || (cat $(BUILD).configure.log; exit 1)

build: configure
	@$(CMAKE_BUILD) -- --no-print-directory

run: configure
	@$(CMAKE_BUILD) --target zarvy -- --no-print-directory
	@scripts/run-game.sh $(BUILD)

test: build
	@scripts/run-tests.sh $(BUILD)

# Builds the image fuzzers in build-fuzz/ and runs each for FUZZ_SECONDS
# (default 600); a finding fails and is kept in build-fuzz/findings/.
fuzz:
	@scripts/install-deps.sh
	@scripts/fuzz.sh

# Mutation testing of the game's logic (docs/testing.md): every candidate
# edit, or MUTATE_SAMPLE of them drawn with MUTATE_SEED; works in
# build-mutate/ and leaves the tree and $(BUILD) alone. Not part of `test`.
MUTATE_SEED ?= 21
MUTATE_SAMPLE ?=
mutate:
	@scripts/install-deps.sh
	@MUTATE_SEED=$(MUTATE_SEED) MUTATE_SAMPLE=$(MUTATE_SAMPLE) scripts/mutate.py

# Re-render the golden images after an intended change to the picture.
goldens: build
	@scripts/update-goldens.sh $(BUILD)

# Installs the game under PREFIX: /usr gives the Debian games layout, any
# other prefix puts the launcher in PREFIX/bin.
# The list of installed files is kept apart: other installs (the tests')
# overwrite CMake's own list.
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)
	@cp $(BUILD)/install_manifest.txt $(BUILD)/installed-files.txt

# Builds $(BUILD)/zarvy_<version>_amd64.deb.
package: build
	@cd $(BUILD) && cpack -G DEB

# Builds build-windows/zarvy-<version>-win64.zip with mingw-w64.
windows:
	@scripts/build-windows.sh

# Builds the browser game with Emscripten: build-web/site/ (a folder for any
# static web server), build-web/zarvy-<version>-web.zip and the single file
# build-web/zarvy-<version>.html.
web:
	@scripts/build-web.sh

# Serves build-web/site on 127.0.0.1, on a free port it prints, to play it here.
serve-web: web
	@python3 -m http.server --bind 127.0.0.1 --directory build-web/site $${PORT:-0}

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize build-mutate* $(BUILD)*.log build-windows build-web build-deps build-fuzz build-fuzz*.log
