# Thin wrapper over CMake: `make run` plays the game, `make test` runs every test.
BUILD ?= build
JOBS ?= 2

.PHONY: all build run test goldens clean

all: build

build:
	@scripts/install-deps.sh
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo > $(BUILD).configure.log 2>&1 || (cat $(BUILD).configure.log; exit 1)
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run-game.sh $(BUILD)

test: build
	@scripts/run-tests.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD).configure.log

# Re-render the golden images after an intended change to the picture.
goldens: build
	@scripts/update-goldens.sh $(BUILD)
