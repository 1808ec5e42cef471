# make test: installs what is missing, then builds and runs every test (scripts/test.sh).
# make run:  builds and starts the native launcher on the X display (scripts/run.sh).
# make package: the Debian package and the Windows .zip, into dist/ (scripts/package.sh).
# make format: rewrites every tracked C++ file with the repository's .clang-format.
.PHONY: test setup run fuzz debug format package

test: setup
	scripts/test.sh

setup:
	scripts/setup.sh

fuzz:
	scripts/fuzz.sh

format:
	git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' '*.inc' | xargs -0 clang-format -i

# A plain debug tree for working on the code.
debug:
	cmake -S . -B build-debug -G Ninja -DCMAKE_BUILD_TYPE=Debug
	ninja -C build-debug -j2

run: setup
	scripts/run.sh

package: setup
	scripts/package.sh
