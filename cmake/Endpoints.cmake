# The servers the program talks to and the path of its downloaded package are fixed when it is
# built. ovk_add_endpoints() writes them once for C++ (Endpoints.cpp) and once for the QML
# documents (qrc:/Endpoints.js) into an object library that a program links.
set(OVK_ENDPOINTS_DIR ${CMAKE_CURRENT_LIST_DIR})

if(WIN32)
    set(OVK_PACKAGE_PATH "dl\\\\app.zip") # the Windows spelling, escaped for C++ and JS alike
else()
    set(OVK_PACKAGE_PATH "dl/app.zip")
endif()

# ovk_add_endpoints(TARGET HELP_HOST host[:port] WEB_HOST host[:port] [EXTRA_CA pem-file])
# EXTRA_CA: certificate authorities the program trusts beyond the system's (a local help server).
function(ovk_add_endpoints target)
    cmake_parse_arguments(E "" "HELP_HOST;WEB_HOST;EXTRA_CA" "" ${ARGN})
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target})
    set(OVK_ENDPOINT_HELP_HOST ${E_HELP_HOST})
    set(OVK_ENDPOINT_WEB_HOST ${E_WEB_HOST})
    set(OVK_ENDPOINT_EXTRA_CA "")
    if(E_EXTRA_CA)
        file(READ ${E_EXTRA_CA} OVK_ENDPOINT_EXTRA_CA)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${E_EXTRA_CA})
    endif()
    configure_file(${OVK_ENDPOINTS_DIR}/Endpoints.cpp.in ${dir}/Endpoints.cpp @ONLY)
    configure_file(${OVK_ENDPOINTS_DIR}/Endpoints.js.in ${dir}/Endpoints.js @ONLY)
    file(WRITE ${dir}/endpoints.qrc.tmp
        "<RCC><qresource prefix=\"/\"><file>Endpoints.js</file></qresource></RCC>\n")
    configure_file(${dir}/endpoints.qrc.tmp ${dir}/endpoints.qrc COPYONLY)
    add_library(${target} OBJECT ${dir}/Endpoints.cpp ${dir}/endpoints.qrc)
    target_link_libraries(${target} PUBLIC ovk_net)
endfunction()
