# The layers of docs/ARCHITECTURE.md, kept by the compiler: there is no
# include root shared by all of src/. Each library exports the headers it
# lists in its sources, and only those, through an include root of its own
# (build/include/<target>/<folder>/<header>, links to the sources), so a
# target sees a header as "folder/header.h" only when it links the library
# that owns it. scripts/check-layers.py checks the includes the compiler
# finds without a root (beside the including file, between libraries that
# share a folder).
function(kova_export_headers target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(type ${target} TYPE)
  get_target_property(source_dir ${target} SOURCE_DIR)
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/src ${source_dir})
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${folder})
  foreach(source IN LISTS sources)
    if(source MATCHES "\\.h$")
      get_filename_component(name ${source} NAME)
      file(CREATE_LINK ${source_dir}/${source} ${root}/${folder}/${name} SYMBOLIC)
    endif()
  endforeach()
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
