# SPDX-License-Identifier: GPL-3.0-or-later
# The two commands a fresh Debian 12 machine needs: `make run` and `make test`.
# Each installs what is missing, configures and builds first.

PRESET ?= dev
BUILD := build/$(PRESET)

.PHONY: run test bench package install-check screenshots asan fuzz format format-check clean

run:
	@scripts/bootstrap build
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) --target tickwell
	$(BUILD)/src/tickwell

test:
	@scripts/bootstrap test
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)
	ctest --preset $(PRESET) --output-on-failure

# Figures, not pass or fail: an optimised build of the benchmarks, then the
# clock's process figures beside the floor program's, as one table. About 25
# minutes; QUICK=1 takes about six (one short round, five reminders, three on
# the real clock each way).
bench:
	@scripts/bootstrap test
	cmake --preset release
	cmake --build --preset release --target benchmarks floor tickwell
	build/release/bench/benchmarks
	/usr/bin/python3 bench/process/measure.py build/release $(if $(QUICK),--quick)

# The Debian package of an optimised build:
# build/release/tickwell_<version>_<architecture>.deb
package:
	@scripts/bootstrap package
	cmake --preset release
	cmake --build --preset release
	cpack --preset release

# The package on a Debian 12 that has never seen it: a minimal system made
# with debootstrap under build/fresh-debian (once), the package installed
# there with apt, then found in a desktop menu, started from it as a new user
# and an alarm set. Needs root and Debian's mirror; a few minutes.
install-check: package
	@scripts/bootstrap install-check
	/usr/bin/python3 tests/package/fresh_debian.py "$$(ls -t build/release/tickwell_*.deb | head -n 1)" build/fresh-debian

# The windows and the pictures rendered to PNG files, for review: the windows
# under $(BUILD)/screenshots, the tray icons on light and dark panels under
# $(BUILD)/pictures.
screenshots:
	@scripts/bootstrap build
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) --target screenshots pictures
	QT_QPA_PLATFORM=offscreen $(BUILD)/tests/screenshots/screenshots $(BUILD)/screenshots

asan:
	$(MAKE) test PRESET=asan

# The fuzz targets for a minute each, and the kill campaign for 3,000 kills.
fuzz:
	@scripts/bootstrap test
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)
	TICKWELL_FUZZ_SECONDS=60 ctest --preset $(PRESET) -L fuzz --verbose
	TICKWELL_KILL_ROUNDS=3000 $(BUILD)/tests/core/core_tests --gtest_filter='*killed_at_random_moments*'

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build
