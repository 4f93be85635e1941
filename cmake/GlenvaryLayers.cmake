# Every arrow points down: a layer's library links only libraries of the
# layers below it (docs in README.md, "Layout of the tree"). Checked at
# configure time, so that a link that breaks the layering fails the build
# rather than waiting for someone to read `cmake --graphviz`.
#
# The rank of each library: a library may link only lower ranks.
set(GLENVARY_LAYER_RANKS
  base=0
  core=1 io=1 io_objects=1 pdf=1 large_pages=1 platform=1
  config=2 report=2 archive=2
  ui=3 cli=3)

function(glenvary_check_layers)
  foreach(entry IN LISTS GLENVARY_LAYER_RANKS)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 name)
    list(GET pair 1 rank)
    set(rank_${name} ${rank})
  endforeach()
  foreach(entry IN LISTS GLENVARY_LAYER_RANKS)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 name)
    if(NOT TARGET glenvary_${name})
      continue()
    endif()
    get_target_property(direct glenvary_${name} LINK_LIBRARIES)
    get_target_property(interface glenvary_${name} INTERFACE_LINK_LIBRARIES)
    foreach(linked IN LISTS direct interface)
      if(linked MATCHES "glenvary(::|_)([a-z_]+)" AND NOT CMAKE_MATCH_2 STREQUAL "warnings")
        set(other ${CMAKE_MATCH_2})
        # A library's own parts (Qt's compiled resources) belong to its layer.
        if(other MATCHES "^${name}_")
          continue()
        endif()
        if(NOT DEFINED rank_${other})
          message(FATAL_ERROR "glenvary_${name} links glenvary_${other}, which has no layer: "
                              "give it a rank in cmake/GlenvaryLayers.cmake")
        endif()
        if(NOT rank_${other} LESS rank_${name})
          message(FATAL_ERROR "glenvary_${name} links glenvary_${other}, which is not a layer below it")
        endif()
      endif()
    endforeach()
  endforeach()
endfunction()
