# The two everyday commands are `make run` and `make test`; both install what is missing first.
# `make install` puts the program into PREFIX with a desktop menu entry; `make uninstall` takes
# the program and the entry away again and leaves the data files.
PRESET ?= dev
BUILD_DIR := build/$(PRESET)
FUZZ_SECONDS ?= 30
PREFIX ?= $(HOME)/Horavant

.PHONY: all deps configure build run test install uninstall bench fuzz clean

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/build.ninja: CMakeLists.txt CMakePresets.json
	cmake --preset $(PRESET)

configure: deps
	cmake --preset $(PRESET)

build: deps
	@test -f $(BUILD_DIR)/build.ninja || cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

run: build
	$(BUILD_DIR)/horavant

test: build
	ctest --preset $(PRESET)

install: build
	scripts/desktop-install install "$(BUILD_DIR)/horavant" "$(PREFIX)"

uninstall:
	scripts/desktop-install uninstall "$(PREFIX)"

bench: deps
	@test -f build/bench/build.ninja || cmake --preset bench
	cmake --build --preset bench
	scripts/run-bench build/bench

fuzz: deps
	@test -f build/fuzz/build.ninja || cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/run-fuzz build/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build
