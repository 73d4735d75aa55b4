# Quotaly: the commands a newcomer needs.
#   make run    install what is missing, build, start Quotaly
#   make test   install what is missing, build, run the whole test suite
#   make deb    build the Debian package (build/package/quotaly_<version>_<arch>.deb)
BUILD      ?= build
BUILD_SAN  ?= build-sanitize
BUILD_TYPE ?= RelWithDebInfo
WERROR     ?= OFF
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test test-sanitize bench install deb deb-check clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQUOTALY_WERROR=$(WERROR) \
	       -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/src/quotaly

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	@cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUOTALY_SANITIZE=ON \
	       -DQUOTALY_WERROR=$(WERROR) -DQUOTALY_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_SAN) -j $(JOBS)
	@cd $(BUILD_SAN) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b || exit 1; done

install: build
	@cmake --install $(BUILD)

deb: build
	@rm -f $(BUILD)/package/*.deb
	@cd $(BUILD) && cpack -G DEB

# The package's file list, its desktop entry and metadata, and its programs run from an unpacked copy.
deb-check: deb
	@scripts/check-deb

clean:
	@rm -rf $(BUILD) $(BUILD_SAN)
