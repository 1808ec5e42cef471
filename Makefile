# make test: installs what is missing, then builds and runs every test (scripts/test.sh).
# make run:  builds and starts the launcher on the X display (under Wine for now).
.PHONY: test setup run fuzz debug

test: setup
	scripts/test.sh

setup:
	scripts/setup.sh

fuzz:
	scripts/fuzz.sh

# A plain debug tree for working on the code.
debug:
	cmake -S . -B build-debug -G Ninja -DCMAKE_BUILD_TYPE=Debug
	ninja -C build-debug -j2

run: setup
	scripts/run.sh
