# The two everyday commands: `make run` and `make test`. Both install what is missing first.
SANITIZE ?=
BUILD_DIR := $(if $(SANITIZE),build-sanitize,build)
CMAKE_FLAGS := -G Ninja $(if $(SANITIZE),-DVARNEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug,)
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test package bench soak fuzz format clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Runs the manager against the simulated card (started on demand by the platform).
run: build
	@$(BUILD_DIR)/bin/varnel-manager

test: build
	@scripts/install-deps.sh test
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 300

# The Debian package of what `cmake --install` installs, with its dependencies computed from the
# binaries: $(BUILD_DIR)/varnel-pro-manager_<version>_<arch>.deb.
package: build
	@scripts/install-deps.sh package
	@cd $(BUILD_DIR) && cpack -G DEB

# Measures the program as the package ships it: the default build type, optimised, with debug
# information (which a profile of a missed goal also reads).
bench:
	@scripts/install-deps.sh bench
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEL_BUILD_BENCH=ON \
		>/dev/null
	@cmake --build build-bench -j $(JOBS)
	@cd build-bench && { ctest -L bench --verbose; echo $$? >ctest-status; } | sed -n "s/^[0-9]*: //p"; \
		exit $$(cat ctest-status)

# Hours of use on a private Xvfb: a scripted user on four cards while the manager's and the
# daemon's memory, descriptors and CPU are recorded each minute (build/soak/soak.csv, soak.png).
SOAK_SECONDS ?= 3600
soak: build
	@scripts/install-deps.sh soak
	@SOAK_SECONDS=$(SOAK_SECONDS) tests/soak/soak.sh $(BUILD_DIR)

# Runs every fuzz target for FUZZ_SECONDS each, starting from its committed corpus, FUZZ_JOBS of
# them at a time; new inputs are kept in build-fuzz/corpus, crashes in build-fuzz/artifacts.
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 1
fuzz: deps
	@scripts/install-deps.sh fuzz
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVARNEL_FUZZ=ON -DVARNEL_BUILD_QT=OFF >/dev/null
	@rm -f build-fuzz/fuzzers.txt && cmake -S . -B build-fuzz >/dev/null
	@cmake --build build-fuzz --target fuzzers -j $(JOBS)
	@xargs -P $(FUZZ_JOBS) -L 1 scripts/run-fuzzer.sh $(FUZZ_SECONDS) < build-fuzz/fuzzers.txt

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	@rm -rf build build-sanitize build-bench build-fuzz
