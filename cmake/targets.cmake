# What holds for every target of the build.
#
# The program's own static libraries must link in one direction only: a
# window's library that linked another window's library back would make
# each need the other, and the windows would grow into one piece again.
# tekstovar_check_link_graph() fails the configuration on any circle among
# the targets named tekstovar_*.

function(_tekstovar_link_children target out)
  set(children "")
  get_target_property(type ${target} TYPE)
  set(properties INTERFACE_LINK_LIBRARIES)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    list(APPEND properties LINK_LIBRARIES)
  endif()
  foreach(property IN LISTS properties)
    get_target_property(links ${target} ${property})
    if(links)
      foreach(link IN LISTS links)
        if(link MATCHES "^tekstovar_" AND TARGET ${link})
          list(APPEND children ${link})
        endif()
      endforeach()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES children)
  set(${out} "${children}" PARENT_SCOPE)
endfunction()

# Depth-first search; `path` is the chain from the root to `target`.
function(_tekstovar_visit target path)
  if(target IN_LIST path)
    list(APPEND path ${target})
    list(JOIN path " -> " chain)
    message(FATAL_ERROR "The libraries link in a circle: ${chain}")
  endif()
  get_property(done GLOBAL PROPERTY _TEKSTOVAR_LINKS_DONE)
  if(target IN_LIST done)
    return()
  endif()
  list(APPEND path ${target})
  _tekstovar_link_children(${target} children)
  foreach(child IN LISTS children)
    _tekstovar_visit(${child} "${path}")
  endforeach()
  set_property(GLOBAL APPEND PROPERTY _TEKSTOVAR_LINKS_DONE ${target})
endfunction()

function(_tekstovar_collect_targets directory out)
  # Every target defined in `directory` and below it.
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    _tekstovar_collect_targets(${subdirectory} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} "${targets}" PARENT_SCOPE)
endfunction()

function(tekstovar_check_link_graph)
  set_property(GLOBAL PROPERTY _TEKSTOVAR_LINKS_DONE "")
  _tekstovar_collect_targets(${PROJECT_SOURCE_DIR}/src targets)
  foreach(target IN LISTS targets)
    if(target MATCHES "^tekstovar_")
      _tekstovar_visit(${target} "")
    endif()
  endforeach()
endfunction()

# Every compiled target of the project (tests, fuzz targets and benchmarks
# included) takes the warnings and definitions of tekstovar_cfg.
function(tekstovar_link_cfg_everywhere)
  _tekstovar_collect_targets(${PROJECT_SOURCE_DIR} targets)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      set_property(TARGET ${target} APPEND PROPERTY LINK_LIBRARIES tekstovar_cfg)
    endif()
  endforeach()
endfunction()
