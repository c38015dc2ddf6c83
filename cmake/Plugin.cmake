find_package(JUCE 7.0.5 CONFIG REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/WrapperStateChecks.cmake)

# The VST 2.4 wrapper wants the SDK's header folder. We generate one from the free,
# compatible fst headers, with two records given their conventional layout, which
# the framework and every host built on the classic headers rely on:
# - fst declares the speaker arrangement with an open-ended speakers[] array, while
#   the framework sizes its allocations for the fixed array of 8: a host exchanging
#   speaker arrangements would overflow the heap;
# - fst's pin properties end at shortLabel[8], without the 48 reserved bytes after
#   it, while the framework writes a short label of up to 9 bytes ("Output L" and its
#   terminator): a host asking for the output pins would have its stack overwritten.
set(TORAVEL_VST2_SDK ${CMAKE_BINARY_DIR}/vst2sdk)
file(READ /usr/include/pluginterfaces/fst/fst.h TORAVEL_FST_H)
string(REPLACE "t_fstSpeakerProperties speakers[];" "t_fstSpeakerProperties speakers[8];"
    TORAVEL_FST_H "${TORAVEL_FST_H}")
string(REPLACE "  char shortLabel[8];\n} FST_UNKNOWN(t_fstPinProperties);"
    "  char shortLabel[8];\n  char future[48];\n} FST_UNKNOWN(t_fstPinProperties);"
    TORAVEL_FST_H "${TORAVEL_FST_H}")
if(NOT TORAVEL_FST_H MATCHES "speakers\\[8\\]" OR NOT TORAVEL_FST_H MATCHES "char future\\[48\\]")
    message(FATAL_ERROR "fst.h changed: the VST 2.4 header fix-ups no longer apply")
endif()
# fst flags with #warning the names whose origin it has not documented yet: four
# lines in every compile that includes it, about fst rather than about our code.
string(REGEX REPLACE "\n#[ \t]*warning [^\n]*" "" TORAVEL_FST_H "${TORAVEL_FST_H}")
toravel_write_if_changed(${TORAVEL_VST2_SDK}/pluginterfaces/vst2.x/fst.h "${TORAVEL_FST_H}")
foreach(header aeffect.h aeffectx.h)
    toravel_write_if_changed(${TORAVEL_VST2_SDK}/pluginterfaces/vst2.x/${header}
        "#pragma once\n#define FST2VST 1\n#include \"fst.h\"\n")
endforeach()
juce_set_vst2_sdk_path(${TORAVEL_VST2_SDK})

set(TORAVEL_FORMATS VST3 LV2 VST Standalone)
if(APPLE)
    list(APPEND TORAVEL_FORMATS AU)
else()
    message(STATUS "Toravel: the Audio Unit format needs macOS and is not built here")
endif()

set(TORAVEL_LV2URI "https://toravel.audio/plugins/Toravel")

juce_add_plugin(Toravel
    PRODUCT_NAME "Toravel"
    COMPANY_NAME "Toravel Audio"
    COMPANY_WEBSITE "https://toravel.audio"
    PLUGIN_MANUFACTURER_CODE Trav
    PLUGIN_CODE Trde
    VERSION 1.0.0
    FORMATS ${TORAVEL_FORMATS}
    IS_SYNTH FALSE
    NEEDS_MIDI_INPUT TRUE
    NEEDS_MIDI_OUTPUT FALSE
    IS_MIDI_EFFECT FALSE
    EDITOR_WANTS_KEYBOARD_FOCUS TRUE
    COPY_PLUGIN_AFTER_BUILD FALSE
    VST_NUM_MIDI_INS 1
    VST2_CATEGORY kPlugCategEffect
    VST3_CATEGORIES Fx
    AU_MAIN_TYPE kAudioUnitType_MusicEffect
    LV2URI ${TORAVEL_LV2URI})

juce_generate_juce_header(Toravel)

# VST 2.4 hosts read the version as the plain number 100, in the effect's record and
# as the vendor version. The framework's VST wrapper writes the record from its own
# definition and the vendor version from the version code in a decimal encoding of its
# own (1.0.0 becomes 0x10000, 0.1.0 becomes 100), so its translation unit alone is
# given the code 0.1.0; every other format keeps 1.0.0.
if(TARGET Toravel_VST)
    target_compile_options(Toravel_VST PRIVATE -UJucePlugin_VersionCode -DJucePlugin_VersionCode=0x100)
    target_compile_definitions(Toravel_VST PRIVATE JucePlugin_VSTChunkStructureVersion=100)
endif()

file(GLOB TORAVEL_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/engine/*.cpp
    ${CMAKE_SOURCE_DIR}/toolkit/*.cpp
    ${CMAKE_SOURCE_DIR}/editor/*.cpp
    ${CMAKE_SOURCE_DIR}/resources/*.cpp)
target_sources(Toravel PRIVATE ${TORAVEL_SOURCES})
target_include_directories(Toravel PUBLIC
    ${CMAKE_SOURCE_DIR}/engine
    ${CMAKE_SOURCE_DIR}/toolkit
    ${CMAKE_SOURCE_DIR}/editor
    ${CMAKE_SOURCE_DIR}/resources)

target_compile_definitions(Toravel
    PUBLIC
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_VST3_CAN_REPLACE_VST2=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_USE_OGGVORBIS=0
        JUCE_USE_FLAC=0
        JucePlugin_LV2URI="${TORAVEL_LV2URI}")

target_link_libraries(Toravel
    PRIVATE
        juce::juce_audio_utils
        juce::juce_opengl
    PUBLIC
        signal_library
        GLU
        $<$<PLATFORM_ID:Linux>:X11>
        juce::juce_recommended_config_flags)

# Tests and tools link the plug-in's shared-code library instead of compiling the
# framework again; this target hands them its headers and definitions.
add_library(toravel_shared INTERFACE)
target_link_libraries(toravel_shared INTERFACE Toravel)
target_include_directories(toravel_shared INTERFACE
    $<TARGET_PROPERTY:Toravel,INCLUDE_DIRECTORIES>)
target_compile_definitions(toravel_shared INTERFACE
    $<TARGET_PROPERTY:Toravel,COMPILE_DEFINITIONS>)
