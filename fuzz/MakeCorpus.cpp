// Writes the seed corpora of the fuzz targets into <dir>/<target>/: real state documents and
// parameter chunks of the product (a fresh instance and one with changed settings and a custom
// compensation curve), framed and placed as the targets read them, and a few value, text and
// host-traffic seeds in the targets' step formats.
//   fuzz_make_corpus <dir>

#include "graphics/IControl.h"
#include "graphics/IGraphics.h"
#include "plugin/VantorKestrune.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

class Seed
{
public:
    Seed& Byte(int value)
    {
        bytes.push_back(static_cast<std::uint8_t>(value));
        return *this;
    }
    template <typename T> Seed& Value(T value)
    {
        const auto* raw = reinterpret_cast<const std::uint8_t*>(&value);
        bytes.insert(bytes.end(), raw, raw + sizeof value);
        return *this;
    }
    Seed& Append(const Bytes& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    Seed& Text(const std::string& text)
    {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    // A length byte and the text, as the step formats read texts.
    Seed& CountedText(const std::string& text)
    {
        return Byte(static_cast<int>(text.size())).Text(text);
    }
    Bytes bytes;
};

int IndexOf(const VantorKestrune& plugin, const char* name)
{
    for (int i = 0; i < plugin.ParameterCount(); ++i)
    {
        if (std::strcmp(plugin.Param(i)->Name(), name) == 0)
        {
            return i;
        }
    }
    std::fprintf(stderr, "no parameter named %s\n", name);
    std::exit(1);
}

// Sets a parameter to the value of one of its display texts, as a host would.
void SetToText(VantorKestrune& plugin, const char* name, const char* text)
{
    const int index = IndexOf(plugin, name);
    int value = 0;
    if (!plugin.Param(index)->FindDisplayText(text, &value))
    {
        std::fprintf(stderr, "%s has no value %s\n", name, text);
        std::exit(1);
    }
    plugin.SetParameterFromHost(index, plugin.Param(index)->ToNormalized(value));
}

Bytes Framed(VantorKestrune& plugin)
{
    StateChunk chunk;
    plugin.SerializeState(chunk);
    return Bytes(chunk.Data(), chunk.Data() + chunk.Size());
}

// A text framed as the state document is: an int32 byte count and the bytes.
Bytes FramedText(const std::string& text)
{
    StateChunk chunk;
    chunk.PutStr(text);
    return Bytes(chunk.Data(), chunk.Data() + chunk.Size());
}

Bytes Joined(Bytes first, const Bytes& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

Bytes ParameterChunk(VantorKestrune& plugin)
{
    StateChunk chunk;
    plugin.SerializeParams(chunk);
    return Bytes(chunk.Data(), chunk.Data() + chunk.Size());
}

// An instance with changed settings whose Auto EQ follows a custom curve drawn with the
// faders: with "Custom" selected and the Auto EQ running, editor changes of band gains become
// the curve's values.
std::unique_ptr<VantorKestrune> ConfiguredPlugin()
{
    std::unique_ptr<VantorKestrune> plugin(CreatePlugin());
    plugin->SetHostSampleRate(48000.0);
    plugin->ResetProcessing();
    plugin->SetParameterValueFromHost(IndexOf(*plugin, "Eq Amount"), 80.0);
    plugin->SetParameterValueFromHost(IndexOf(*plugin, "Input"), 3.0);
    SetToText(*plugin, "Auto EQ compensation", "Custom");
    SetToText(*plugin, "Auto Eq", "Continuous");
    const double curveDb[] = {-6.0, -3.5, 0.0, 2.0, 4.5, 6.0, 3.0, -1.5};
    for (int i = 0; i < static_cast<int>(std::size(curveDb)); ++i)
    {
        const int band = 3 * i + 2;
        IPlugParameter& gain = *plugin->Param(BandGainParam(band));
        plugin->SetParameterFromGUI(BandGainParam(band), gain.ToNormalized(curveDb[i]));
    }
    SetToText(*plugin, "Auto Eq", "Off");
    plugin->SetParameterValueFromHost(BandGainParam(5), -4.5);
    return plugin;
}

// Position of the first prompting control (in the order the text-entry target lists them)
// bound to the named parameter.
int PromptingControlOf(VantorKestrune& plugin, const char* name)
{
    auto* editor = dynamic_cast<IGraphics*>(plugin.Editor());
    const int index = IndexOf(plugin, name);
    int position = 0;
    for (int i = 0; editor != nullptr && i < editor->ControlCount(); ++i)
    {
        const IControl* control = editor->ControlAt(i);
        if (control->ParamIndex() >= 0 && !control->IsPromptDisabled())
        {
            if (control->ParamIndex() == index)
            {
                return position;
            }
            ++position;
        }
    }
    std::fprintf(stderr, "no control prompts for %s\n", name);
    std::exit(1);
}

class CorpusWriter
{
public:
    explicit CorpusWriter(std::filesystem::path root) : root_(std::move(root)) {}
    void Write(const std::string& target, const std::string& name, const Seed& seed)
    {
        const std::filesystem::path dir = root_ / target;
        std::filesystem::create_directories(dir);
        std::ofstream out(dir / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.bytes.data()),
                  static_cast<std::streamsize>(seed.bytes.size()));
        if (!out)
        {
            std::fprintf(stderr, "cannot write %s/%s\n", target.c_str(), name.c_str());
            std::exit(1);
        }
    }

private:
    std::filesystem::path root_;
};

// A step of the parameter-values target: selector (operation and index) and a double.
Seed& ValueStep(Seed& seed, int operation, int index, double value)
{
    return seed.Byte(operation * (kNumParams + 2) + index + 1).Value(value);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: fuzz_make_corpus <dir>\n");
        return 2;
    }
    CorpusWriter corpus(argv[1]);
    std::unique_ptr<VantorKestrune> fresh(CreatePlugin());
    std::unique_ptr<VantorKestrune> configured = ConfiguredPlugin();
    const Bytes freshDocument = Framed(*fresh);
    const Bytes customDocument = Framed(*configured);
    const Bytes parameters = ParameterChunk(*configured);
    const std::string customText(customDocument.begin() + 4, customDocument.end());
    const std::string freshText(freshDocument.begin() + 4, freshDocument.end());
    const auto at = [](std::size_t position) { return static_cast<std::int32_t>(position); };

    // A dictionary of the document's keys and the parameter names, for mutations that keep
    // entries matching.
    {
        std::ofstream dictionary(std::filesystem::path(argv[1]) / "fuzz_state_document.dict");
        for (const char* key : {"params", "eqcomp", "name", "value", "version"})
        {
            dictionary << "\"\\\"" << key << "\\\"\"\n";
        }
        for (int i = 0; i < fresh->ParameterCount(); ++i)
        {
            dictionary << "\"\\\"" << fresh->Param(i)->Name() << "\\\"\"\n";
        }
    }

    // Steps of a flags byte (bit 0 raw chunk, bit 1 process blocks after), a uint16 length and
    // the step's bytes: a document text, or an int32 position and a raw chunk.
    const std::string state = "fuzz_state_document";
    const auto text = [](int flags, const std::string& document) {
        return Seed().Byte(flags).Value(static_cast<std::uint16_t>(document.size())).Text(document);
    };
    const auto raw = [](int flags, std::size_t position, const Bytes& bytes)
    {
        return Seed()
            .Byte(flags | 1)
            .Value(static_cast<std::uint16_t>(bytes.size() + 4))
            .Value(static_cast<std::int32_t>(position))
            .Append(bytes);
    };
    corpus.Write(state, "document-fresh", text(0, freshText));
    corpus.Write(state, "document-custom-curve", text(2, customText));
    corpus.Write(state, "custom-curve-then-fresh",
                 text(2, customText).Append(text(2, freshText).bytes));
    corpus.Write(state, "raw-document", raw(0, 0, customDocument));
    corpus.Write(state, "raw-second-document",
                 raw(2, freshDocument.size(), Joined(freshDocument, customDocument)));
    corpus.Write(state, "raw-document-after-parameters",
                 raw(0, parameters.size(), Joined(parameters, customDocument)));
    corpus.Write(state, "raw-parameter-chunk", raw(2, 0, parameters));
    corpus.Write(state, "parameter-chunk-then-document",
                 raw(2, 0, parameters).Append(text(2, customText).bytes));
    // Hostile texts: a document nested 10,000 levels deep inside "params" (a stack overflow
    // on a host thread once), and a text of 46 bytes, whose framing count equals the
    // parameter count (read as parameter values once).
    const std::string deepDocument =
        "{\"params\":" + std::string(10000, '[') + std::string(10000, ']') + "}";
    const std::string countSizedText = std::string(46, 'A');
    corpus.Write(state, "deeply-nested-document", text(2, deepDocument));
    corpus.Write(state, "text-of-46-bytes", text(2, countSizedText));

    // An int32 position and the chunk.
    const std::string chunk = "fuzz_parameter_chunk";
    corpus.Write(chunk, "fresh", Seed().Value(at(0)).Append(ParameterChunk(*fresh)));
    corpus.Write(chunk, "configured", Seed().Value(at(0)).Append(parameters));
    corpus.Write(chunk, "after-document",
                 Seed().Value(at(freshDocument.size())).Append(freshDocument).Append(parameters));
    const Bytes tenValues(parameters.begin(), parameters.begin() + 4 + 10 * 8);
    corpus.Write(chunk, "count-and-ten-values", Seed().Value(at(0)).Append(tenValues));

    // Steps of an operation/index byte and a double: host normalised, host real, editor,
    // value texts.
    const std::string values = "fuzz_parameter_values";
    const int eqAmount = IndexOf(*fresh, "Eq Amount");
    const int autoEq = IndexOf(*fresh, "Auto Eq");
    const int compensation = IndexOf(*fresh, "Auto EQ compensation");
    Seed host;
    ValueStep(host, 0, 0, 0.5);
    ValueStep(host, 0, eqAmount, 1.0);
    ValueStep(host, 0, compensation, 1.0);
    ValueStep(host, 0, autoEq, 1.0);
    ValueStep(host, 0, 10, 0.9);
    corpus.Write(values, "host-normalised", host);
    Seed real;
    ValueStep(real, 1, eqAmount, 80.0);
    ValueStep(real, 1, 5, -4.5);
    ValueStep(real, 1, 6, 20.0);
    ValueStep(real, 1, autoEq, 1.5);
    corpus.Write(values, "host-real", real);
    Seed editor;
    ValueStep(editor, 2, compensation, 1.0);
    ValueStep(editor, 2, autoEq, 1.0);
    ValueStep(editor, 2, 2, 0.25);
    ValueStep(editor, 2, 3, 0.75);
    corpus.Write(values, "editor-custom-curve", editor);
    Seed texts;
    ValueStep(texts, 3, 0, 0.5);
    ValueStep(texts, 3, autoEq, 0.5);
    ValueStep(texts, 3, eqAmount, 1e300);
    ValueStep(texts, 3, IndexOf(*fresh, "Input"), -1e19);
    corpus.Write(values, "value-texts", texts);

    // Control selector, flags (bit 0 whole text, bit 1 focus first, bits 2-4 the ending), text.
    const std::string entry = "fuzz_text_entry";
    const int amountControl = PromptingControlOf(*fresh, "Eq Amount");
    const int inputControl = PromptingControlOf(*fresh, "Input");
    const int modeControl = PromptingControlOf(*fresh, "Auto Eq");
    corpus.Write(entry, "typed-enter", Seed().Byte(amountControl).Byte(0).Text("80"));
    corpus.Write(entry, "whole-text-lose-focus",
                 Seed().Byte(inputControl).Byte(1 | (1 << 2)).Text("-3.5"));
    corpus.Write(entry, "focused-click-cancels",
                 Seed().Byte(inputControl).Byte(2 | (3 << 2)).Text("12"));
    corpus.Write(entry, "menu-choice", Seed().Byte(modeControl).Byte(0).Byte(2));

    // Steps of an operation, an int32 size field, an int32 identifier or index, a uint16 data
    // length and the data.
    const std::string aaxChunk = "fuzz_aax_chunk";
    const auto own = 4;
    const auto chunkStep =
        [](int operation, std::size_t sizeField, int idOrIndex, const Bytes& data)
    {
        return Seed()
            .Byte(operation)
            .Value(static_cast<std::int32_t>(sizeField))
            .Value(static_cast<std::int32_t>(idOrIndex))
            .Value(static_cast<std::uint16_t>(data.size()))
            .Append(data);
    };
    corpus.Write(aaxChunk, "apply-document",
                 chunkStep(own | 0, customDocument.size(), 0, customDocument));
    corpus.Write(aaxChunk, "compare-document",
                 chunkStep(own | 1, freshDocument.size(), 0, freshDocument));
    corpus.Write(aaxChunk, "apply-then-compare",
                 chunkStep(own | 0, customDocument.size(), 0, customDocument)
                     .Append(chunkStep(own | 1, freshDocument.size(), 0, freshDocument).bytes));
    corpus.Write(aaxChunk, "apply-parameter-chunk",
                 chunkStep(own | 0, parameters.size(), 0, parameters));
    corpus.Write(aaxChunk, "apply-short-size-field", chunkStep(own | 0, 100, 0, customDocument));
    corpus.Write(aaxChunk, "fill", chunkStep(own | 2, 4096, 0, {}));
    const Bytes deepFramed = FramedText(deepDocument);
    corpus.Write(aaxChunk, "apply-then-compare-deeply-nested",
                 chunkStep(own | 0, deepFramed.size(), 0, deepFramed)
                     .Append(chunkStep(own | 1, deepFramed.size(), 0, deepFramed).bytes));
    const Bytes countSized = FramedText(countSizedText);
    corpus.Write(aaxChunk, "apply-text-of-46-bytes",
                 chunkStep(own | 0, countSized.size(), 0, countSized));
    corpus.Write(aaxChunk, "queries", chunkStep(own | 3, 0, 1, {}));

    // Steps: 0 update by identifier text, 1 update by registered identifier, 2 editor change,
    // 3 value texts, 4 render.
    const std::string updates = "fuzz_aax_host_updates";
    corpus.Write(updates, "identifier-texts",
                 Seed()
                     .Byte(0)
                     .CountedText("MasterBypassID")
                     .Value(1.0)
                     .Byte(0)
                     .CountedText("1")
                     .Value(0.25)
                     .Byte(0)
                     .CountedText("46")
                     .Value(1.0)
                     .Byte(0)
                     .CountedText("01")
                     .Value(0.5)
                     .Byte(4));
    corpus.Write(updates, "registered-and-editor",
                 Seed()
                     .Byte(1)
                     .Byte(eqAmount + 1)
                     .Value(0.8)
                     .Byte(2)
                     .Byte(compensation)
                     .Value(1.0)
                     .Byte(2)
                     .Byte(autoEq)
                     .Value(1.0)
                     .Byte(4)
                     .Byte(2)
                     .Byte(7)
                     .Value(0.1)
                     .Byte(4));
    corpus.Write(updates, "value-texts",
                 Seed()
                     .Byte(3)
                     .Byte(1)
                     .Value(0.5)
                     .Byte(5)
                     .CountedText("-4.5 dB")
                     .Byte(3)
                     .Byte(autoEq + 1)
                     .Value(1.0)
                     .Byte(31)
                     .CountedText("Continuous"));
    return 0;
}
