# launcher_resource_library(<target> <script.rc> [DEPENDS <file>...] [DEFINES <NAME[=v]>...])
#
# An OBJECT library holding the script's resources: on Windows the object windres makes,
# on Linux a C++ table made by our rc tool, whose static initialiser registers it (an
# object library keeps that initialiser in every program that links the target).
#
# Data files are found beside the script, in resources/ and in the build's resources
# folder, LAUNCHER_GENERATED_RESOURCES, where build steps put generated inputs. List a
# generated input under DEPENDS so it is made first; the custom command making it must be
# in the same CMakeLists.txt as this call. The cursors and icons (global property
# LAUNCHER_IMAGE_FILES, target resource_images) are made first for every script.
set(LAUNCHER_GENERATED_RESOURCES ${PROJECT_BINARY_DIR}/resources)
file(MAKE_DIRECTORY ${LAUNCHER_GENERATED_RESOURCES})

function(launcher_resource_library target script)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "DEPENDS;DEFINES")
  get_filename_component(script ${script} ABSOLUTE)
  get_filename_component(scriptDir ${script} DIRECTORY)
  get_property(images GLOBAL PROPERTY LAUNCHER_IMAGE_FILES)
  list(APPEND arg_DEPENDS ${images})
  set(includeDirs ${scriptDir} ${PROJECT_SOURCE_DIR}/resources ${LAUNCHER_GENERATED_RESOURCES})
  if(WIN32)
    # windres reports no dependencies: rebuild when anything in the resource folders or
    # the listed inputs change.
    file(GLOB_RECURSE scriptInputs CONFIGURE_DEPENDS ${scriptDir}/* ${PROJECT_SOURCE_DIR}/resources/*)
    list(FILTER scriptInputs EXCLUDE REGEX "CMakeLists.txt$")
    add_library(${target} OBJECT ${script})
    target_include_directories(${target} PRIVATE ${includeDirs})
    target_compile_definitions(${target} PRIVATE ${arg_DEFINES})
    set_source_files_properties(${script} TARGET_DIRECTORY ${target}
      PROPERTIES OBJECT_DEPENDS "${scriptInputs};${arg_DEPENDS}")
    # Defined by resources/ (possibly after this call): a dependency may name a later target.
    add_dependencies(${target} resource_images)
  else()
    set(flags)
    foreach(dir IN LISTS includeDirs)
      list(APPEND flags -I ${dir})
    endforeach()
    foreach(def IN LISTS arg_DEFINES)
      list(APPEND flags -D${def})
    endforeach()
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}.cpp)
    add_custom_command(
      OUTPUT ${generated}
      COMMAND rc ${flags} -o ${generated} -d ${generated}.d ${script}
      DEPENDS ${script} rc ${arg_DEPENDS}
      DEPFILE ${generated}.d
      COMMENT "Compiling resources ${target}"
      VERBATIM)
    add_library(${target} OBJECT ${generated})
    target_link_libraries(${target} PUBLIC platform)
    # Defined by resources/ (possibly after this call): a dependency may name a later target.
    add_dependencies(${target} resource_images)
  endif()
endfunction()
