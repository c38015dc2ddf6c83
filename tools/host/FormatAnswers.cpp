#include "FormatAnswers.h"

#define JUCE_VST3HEADERS_INCLUDE_HEADERS_ONLY 1
#include <juce_audio_processors/format_types/juce_VST3Headers.h>
#undef JUCE_VST3HEADERS_INCLUDE_HEADERS_ONLY

namespace Vst2
{
#include <pluginterfaces/vst2.x/aeffectx.h>
}

namespace
{
struct Answers : juce::ExtensionsVisitor
{
    explicit Answers (juce::DynamicObject& o) : description (o) {}

    void visitVST3Client (const VST3Client& client) override
    {
        Steinberg::Vst::IUnitInfo* units = nullptr;
        auto* component = client.getIComponentPtr();
        if (component == nullptr ||
            component->queryInterface (Steinberg::Vst::IUnitInfo::iid, (void**) &units) != Steinberg::kResultOk)
            return;

        juce::Array<juce::var> programs;
        for (Steinberg::int32 list = 0; list < units->getProgramListCount(); ++list)
        {
            Steinberg::Vst::ProgramListInfo info{};
            if (units->getProgramListInfo (list, info) != Steinberg::kResultOk)
                continue;
            for (Steinberg::int32 k = 0; k < info.programCount; ++k)
            {
                Steinberg::Vst::String128 name{};
                units->getProgramName (info.id, k, name);
                programs.add (juce::String (juce::CharPointer_UTF16 (
                    reinterpret_cast<const juce::CharPointer_UTF16::CharType*> (name))));
            }
        }
        units->release();
        description.setProperty ("programs", programs);
    }

    void visitVSTClient (const VSTClient& client) override
    {
        auto* effect = reinterpret_cast<Vst2::AEffect*> (client.getAEffectPtr());
        if (effect == nullptr)
            return;
        description.setProperty ("effectVersion", (int) effect->version);
        description.setProperty ("vendorVersion",
                                 (int) effect->dispatcher (effect, Vst2::effGetVendorVersion, 0, 0, nullptr, 0.0f));
    }

    juce::DynamicObject& description;
};
} // namespace

void addFormatAnswers (juce::AudioPluginInstance& instance, juce::DynamicObject& description)
{
    Answers answers (description);
    instance.getExtensions (answers);
}
