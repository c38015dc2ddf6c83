# Two of the framework's plug-in wrappers take lengths and counts out of the state a
# host hands back and trust them. Each is compiled from a configure-time copy with
# checks added, in place of the installed source; configuring fails when a check no
# longer applies to the framework's source, so that a new framework version cannot
# drop it unseen.
# - VST3: the wrapper closes the component state with its private data, that data's
#   size and an identifier, and subtracted the size from the block's length as it
#   found it. A damaged size wrapped the length round: the wrapper read its private
#   data, and handed our state code a length, far outside the block, and the host
#   crashed. A size that does not fit before the trailer now reads as no private data,
#   as a damaged identifier always has: the whole block goes to our own state code.
#   Damaged counts inside the private data kept its reader going past the end for
#   minutes; the first read past the end now stops it, and the data is ignored.
# - LV2: the state string opens with the number of bytes it encodes, and the decoder
#   allocates that many before decoding; a negative or huge number threw out of the
#   plug-in into the host. A state whose number its text cannot hold is refused.
# The VST 2.4 wrapper hands the host's chunk over as it is, with the host's length.
# The LV2 copy also tells hosts the parameter values the plug-in starts with or
# restores, and answers their requests for them (see below).

get_target_property(TORAVEL_JUCE_MODULES juce::juce_audio_plugin_client INTERFACE_JUCE_MODULE_PATH)
set(TORAVEL_PLUGIN_CLIENT ${TORAVEL_JUCE_MODULES}/juce_audio_plugin_client)
set(TORAVEL_WRAPPER_COPIES ${CMAKE_BINARY_DIR}/wrapper_copies)

# Replaces the one occurrence of old in the named variable's text by new (line ends
# taken as LF, whatever the framework's files use).
function(toravel_replace_once text_var old new what)
    string(REPLACE "\r\n" "\n" text "${${text_var}}")
    string(FIND "${text}" "${old}" first)
    string(FIND "${text}" "${old}" last REVERSE)
    if(first EQUAL -1 OR NOT first EQUAL last)
        message(FATAL_ERROR "the framework's ${what} changed: a change its copy makes no longer applies")
    endif()
    string(REPLACE "${old}" "${new}" text "${text}")
    set(${text_var} "${text}" PARENT_SCOPE)
endfunction()

# Writes a generated file only when its text changed: rewriting an unchanged one would
# have every reconfigure compile whatever includes it again. Plugin.cmake's generated
# headers go through it too.
function(toravel_write_if_changed path text)
    file(WRITE ${path}.new "${text}")
    file(COPY_FILE ${path}.new ${path} ONLY_IF_DIFFERENT)
    file(REMOVE ${path}.new)
endfunction()

function(toravel_write_copy name text)
    toravel_write_if_changed(${TORAVEL_WRAPPER_COPIES}/${name} "${text}")
endfunction()

file(READ ${TORAVEL_PLUGIN_CLIENT}/VST3/juce_VST3_Wrapper.cpp TORAVEL_VST3_WRAPPER)
# The copy lives outside the module, so its includes relative to the module's folder
# are found through the module path instead.
string(REPLACE "#include \"../utility/" "#include \"juce_audio_plugin_client/utility/"
    TORAVEL_VST3_WRAPPER "${TORAVEL_VST3_WRAPPER}")
if(TORAVEL_VST3_WRAPPER MATCHES "#include \"\\.\\./")
    message(FATAL_ERROR "the framework's VST3 wrapper includes a file the copy cannot find")
endif()
toravel_replace_once(TORAVEL_VST3_WRAPPER [=[
                privateDataSize = ByteOrder::swapIfBigEndian (privateDataSize);
                size -= privateDataSize + jucePrivDataIdentifierSize + sizeof (uint64);

                if (privateDataSize > 0)
                    setJucePrivateStateInformation (buffer + size, static_cast<int> (privateDataSize));

                size -= sizeof (uint64);
]=] [=[
                privateDataSize = ByteOrder::swapIfBigEndian (privateDataSize);

                // A size that does not fit before the trailer is damage: read as no
                // private data, as a damaged identifier is, it leaves the whole block,
                // and nothing outside it, to the processor.
                const auto trailerSize = jucePrivDataIdentifierSize + 2 * sizeof (uint64);

                if (size >= trailerSize && privateDataSize <= size - trailerSize)
                {
                    size -= privateDataSize + jucePrivDataIdentifierSize + sizeof (uint64);

                    if (privateDataSize > 0)
                        setJucePrivateStateInformation (buffer + size, static_cast<int> (privateDataSize));

                    size -= sizeof (uint64);
                }
]=] "VST3 wrapper")
toravel_replace_once(TORAVEL_VST3_WRAPPER [=[
                auto privateData = ValueTree::readFromData (data, static_cast<size_t> (sizeInBytes));
                setBypassed (static_cast<bool> (privateData.getProperty ("Bypass", var (false))));
]=] [=[
                // The reader takes the counts in damaged data at their word and reads on
                // past the end for as long as they say; the first read that finds
                // nothing left ends it, and the data is ignored.
                struct PrivateDataInput : public MemoryInputStream
                {
                    using MemoryInputStream::MemoryInputStream;

                    int read (void* destBuffer, int maxBytesToRead) override
                    {
                        if (maxBytesToRead > 0 && isExhausted())
                            throw std::out_of_range ("damaged private data");

                        return MemoryInputStream::read (destBuffer, maxBytesToRead);
                    }
                };

                try
                {
                    PrivateDataInput input (data, static_cast<size_t> (sizeInBytes), false);
                    auto privateData = ValueTree::readFromStream (input);
                    setBypassed (static_cast<bool> (privateData.getProperty ("Bypass", var (false))));
                }
                catch (const std::out_of_range&) {}
]=] "VST3 wrapper")
toravel_write_copy(juce_VST3_Wrapper.cpp "${TORAVEL_VST3_WRAPPER}")

file(READ ${TORAVEL_PLUGIN_CLIENT}/LV2/juce_LV2_Client.cpp TORAVEL_LV2_CLIENT)
toravel_replace_once(TORAVEL_LV2_CLIENT [=[
        String text (static_cast<const char*> (data), (size_t) size);
        MemoryBlock block;
]=] [=[
        String text (static_cast<const char*> (data), (size_t) size);

        // The decoder allocates the byte count the text opens with before it decodes.
        const auto dot = text.indexOfChar ('.');
        const auto count = text.substring (0, dot);
        const auto capacity = (int64) (text.length() - dot - 1) * 6 / 8;

        if (dot < 1 || dot > 10 || ! count.containsOnly ("0123456789") || count.getLargeIntValue() > capacity)
            return LV2_STATE_ERR_UNKNOWN;

        MemoryBlock block;
]=] "LV2 client")

# The LV2 wrapper tells a host a parameter's value (a patch:Set on its output port) only
# when the plug-in changes it, and ignores the host's patch:Get: hosts showed 0 for every
# value until it changed. The copy reports every value after instantiation and after a
# restore, and answers patch:Get, always from run(), the one place the output port may
# be written; restore and instantiation only mark the values, through the wrapper's
# lock-free flags, for the next cycles to send.
toravel_replace_once(TORAVEL_LV2_CLIENT [=[
    struct Options
    {
]=] [=[
    // Marks values for run() to send to the host; callable from any thread.
    void reportAll() noexcept
    {
        for (size_t index = 0; index < indexToUridMap.size(); ++index)
            stateCache.setBits (index, newClientValue);
    }

    void report (LV2_URID urid) noexcept
    {
        const auto it = uridToIndexMap.find (urid);

        if (it != uridToIndexMap.end())
            stateCache.setBits (it->second, newClientValue);
    }

    struct Options
    {
]=] "LV2 client")
toravel_replace_once(TORAVEL_LV2_CLIENT [=[
        prepare (sampleRate, (int) maxBlockSize);
    }
]=] [=[
        prepare (sampleRate, (int) maxBlockSize);

        // A host knows no value it has not been sent, the defaults included.
        parameters.reportAll();
    }
]=] "LV2 client")
toravel_replace_once(TORAVEL_LV2_CLIENT [=[
            patchSetHelper.processPatchSet (event, Callback { *this });
]=] [=[
            patchSetHelper.processPatchSet (event, Callback { *this });

            // A patch:Get that names no property asks for all of them.
            if (event->body.type == patchSetHelper.mLV2_ATOM__Object
                && reinterpret_cast<const LV2_Atom_Object*> (&event->body)->body.otype == mLV2_PATCH__Get)
            {
                const LV2_Atom* subject  = nullptr;
                const LV2_Atom* property = nullptr;
                LV2_Atom_Object_Query query[] { { patchSetHelper.mLV2_PATCH__subject,  &subject },
                                                { patchSetHelper.mLV2_PATCH__property, &property },
                                                LV2_ATOM_OBJECT_QUERY_END };
                lv2_atom_object_query (reinterpret_cast<const LV2_Atom_Object*> (&event->body), query);

                if (patchSetHelper.isPlugin (subject))
                {
                    if (property == nullptr)
                        parameters.reportAll();
                    else if (property->type == patchSetHelper.mLV2_ATOM__URID)
                        parameters.report (reinterpret_cast<const LV2_Atom_URID*> (property)->body);
                }
            }
]=] "LV2 client")
toravel_replace_once(TORAVEL_LV2_CLIENT [=[
            if (options.parameterValue)
            {
                lv2_atom_forge_frame_time (forge, 0);
]=] [=[
            // A host's buffer may not hold every report due: one that would not fit whole
            // waits for the next cycle rather than leave the sequence half written. A
            // patch:Set event takes 72 bytes, the figure the wrapper sizes the port by.
            if (options.parameterValue && forge->size - forge->offset < 72)
            {
                parameters.report (paramUrid);
            }
            else if (options.parameterValue)
            {
                lv2_atom_forge_frame_time (forge, 0);
]=] "LV2 client")
toravel_replace_once(TORAVEL_LV2_CLIENT [=[
    LV2_State_Status retrieve (LV2_State_Retrieve_Function retrieveFn,
                               LV2_State_Handle handle,
                               uint32_t,
                               const LV2_Feature* const*)
    {
]=] [=[
    LV2_State_Status retrieve (LV2_State_Retrieve_Function retrieveFn,
                               LV2_State_Handle handle,
                               uint32_t flags,
                               const LV2_Feature* const* features)
    {
        const auto status = restoreState (retrieveFn, handle, flags, features);

        // Whether the plug-in told of each change or not, the host shows the restored values.
        parameters.reportAll();
        return status;
    }

    LV2_State_Status restoreState (LV2_State_Retrieve_Function retrieveFn,
                                   LV2_State_Handle handle,
                                   uint32_t,
                                   const LV2_Feature* const*)
    {
]=] "LV2 client")
toravel_replace_once(TORAVEL_LV2_CLIENT [=[
    X (LV2_PATCH__Set)
]=] [=[
    X (LV2_PATCH__Get)
    X (LV2_PATCH__Set)
]=] "LV2 client")
toravel_write_copy(juce_LV2_Client.cpp "${TORAVEL_LV2_CLIENT}")

# Every format's wrapper target lists every wrapper source (each compiles only its
# own format's); all of them take the copies.
foreach(kind VST3 LV2 VST Standalone Unity AU AUv3 AAX)
    if(NOT TARGET juce_audio_plugin_client_${kind})
        continue()
    endif()
    get_target_property(sources juce_audio_plugin_client_${kind} INTERFACE_SOURCES)
    foreach(wrapper VST3:juce_VST3_Wrapper LV2:juce_LV2_Client)
        string(REPLACE ":" ";" wrapper ${wrapper})
        list(GET wrapper 0 format)
        list(GET wrapper 1 copy)
        list(FIND sources ${TORAVEL_PLUGIN_CLIENT}/juce_audio_plugin_client_${format}.cpp at)
        if(at EQUAL -1)
            message(FATAL_ERROR "the framework's ${kind} wrapper no longer compiles its ${format} source")
        endif()
        list(REMOVE_AT sources ${at})
        list(INSERT sources ${at} ${TORAVEL_WRAPPER_COPIES}/${copy}.cpp)
    endforeach()
    set_property(TARGET juce_audio_plugin_client_${kind} PROPERTY INTERFACE_SOURCES ${sources})
endforeach()
