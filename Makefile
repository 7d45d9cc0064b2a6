# Front door: `make run` and `make test` install what is missing, build and go.
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Options for the simulator that `make run` starts: an ELM327 on a car that
# drives its cycle; e.g. ELMSIM="--chip elm327 --units 2", or ELMSIM= for the ELM323.
ELMSIM ?= --chip elm327 --drive

.PHONY: deps configure build run test package bench asan tsan format clean

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

configure: deps $(BUILD)/build.ninja

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-simulated $(BUILD)/bin $(ELMSIM)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The .deb for Debian 12, with its contents, control data and lintian's verdict.
package: build
	@scripts/install-deps --package
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@deb=$$(ls -t $(BUILD)/obd-torvane_*.deb | head -1); \
	  dpkg-deb -c $$deb && dpkg-deb -I $$deb && lintian $$deb && echo "package: $$deb"

bench: deps
	@cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build-release -j $(JOBS)
	@for b in build-release/bin/bench_*; do echo "== $$b"; $$b || exit 1; done

asan: deps
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOBD_SANITIZE=address,undefined >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ctest --output-on-failure -j $(JOBS)

tsan: deps
	@cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOBD_SANITIZE=thread >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	@cd build-tsan && ctest --output-on-failure -j $(JOBS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) build-release build-asan build-tsan
