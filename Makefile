# The two everyday commands: `make run` and `make test`. Both install what is missing first.
SANITIZE ?=
BUILD_DIR := $(if $(SANITIZE),build-sanitize,build)
CMAKE_FLAGS := -G Ninja $(if $(SANITIZE),-DVARNEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug,)
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench format clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Runs the manager against the simulated card (started on demand by the platform).
run: build
	@$(BUILD_DIR)/src/app/varnel-manager

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 300

bench: deps
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_BUILD_BENCH=ON >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@cd build-bench && ctest -L bench --output-on-failure

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	@rm -rf build build-sanitize build-bench
