# Thin wrapper over CMake: `make run` plays the game, `make test` runs every test.
BUILD ?= build
JOBS ?= 2
CMAKE_BUILD = cmake --build $(BUILD) -j$(JOBS)

.PHONY: all configure build run test goldens clean

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

# Re-render the golden images after an intended change to the picture.
goldens: build
	@scripts/update-goldens.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize $(BUILD)*.log
