# The window program: Qt 6 Widgets over the core. Its units, the information dialog among them,
# are the files in window/.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

file(GLOB NIMBREL_WINDOW_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/window/*.cpp)
file(GLOB NIMBREL_WINDOW_HEADERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/window/*.h)
# The program's entry stays out of the library the window tests link.
set(NIMBREL_WINDOW_ENTRY ${PROJECT_SOURCE_DIR}/window/MainProgram.cpp)
list(REMOVE_ITEM NIMBREL_WINDOW_SOURCES ${NIMBREL_WINDOW_ENTRY})

add_library(nimbrel_window STATIC ${NIMBREL_WINDOW_SOURCES} ${NIMBREL_WINDOW_HEADERS})
set_target_properties(nimbrel_window PROPERTIES AUTOMOC ON)
target_link_libraries(nimbrel_window PUBLIC nimbrel_core Qt6::Widgets)

# The help document stands beside the program.
configure_file(${PROJECT_SOURCE_DIR}/help/Nimbrel.html ${PROJECT_BINARY_DIR}/Nimbrel.html COPYONLY)

if(EXISTS ${NIMBREL_WINDOW_ENTRY})
    add_executable(nimbrel ${NIMBREL_WINDOW_ENTRY})
    target_link_libraries(nimbrel PRIVATE nimbrel_window)
    set_target_properties(nimbrel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endif()

# Installed, the program finds its help document in ../share/nimbrel, and the desktop's menu
# finds the program through its entry and icon.
include(GNUInstallDirs)
if(TARGET nimbrel)
    install(TARGETS nimbrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/help/Nimbrel.html DESTINATION ${CMAKE_INSTALL_DATADIR}/nimbrel)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/nimbrel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/nimbrel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
