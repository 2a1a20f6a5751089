// Interface elements: a whole profile turned into elements, and decoding / encoding by data type.
#include "configurator/vk_interface_element.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using E = VkInterfaceElement;
using v_protocol::TSlaveProfile;

namespace {

const std::vector<std::pair<E::DataTypes, int>> kTypes
    = { { E::TInteger, 2 }, { E::TUinteger, 4 }, { E::THexArray, 8 }, { E::TInvertedHexArray, 8 }, { E::TString, 20 },
          { E::TEnum, 1 }, { E::TBinary, 1 }, { E::TUnixtime, 4 }, { E::TBitfield, 2 } };

TSlaveProfile profileOf(int count)
{
    TSlaveProfile profile;
    for (int i = 0; i < count; ++i) {
        const auto &[dataType, dataSize] = kTypes[size_t(i) % kTypes.size()];
        TSlaveProfile::Element element;
        element.id = quint16(i + 1);
        element.type = TSlaveProfile::Types(i % 4);
        element.nameEn = QStringLiteral("Element number %1").arg(i);
        element.nameRu = QStringLiteral("Элемент номер %1").arg(i);
        element.dataType = TSlaveProfile::DataTypes(dataType);
        element.dataSize = quint16(dataSize);
        element.max = 10000;
        if (dataType == E::TEnum)
            element.enumValues = { QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("#third") };
        profile.elements.append(element);
    }
    return profile;
}

void quietLogs()
{
    // Encoding logs every change at debug level; the log is not what is measured.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
}

void ProfileToElements(benchmark::State &state)
{
    quietLogs();
    const TSlaveProfile profile = profileOf(int(state.range(0)));
    for (auto _ : state) {
        QObject owner;
        for (const TSlaveProfile::Element &element : profile.elements)
            new VkInterfaceElement(element, &owner);
        benchmark::DoNotOptimize(owner.children().size());
    }
    // Seconds per element (printed with an SI prefix: "2.5u" is 2.5 µs).
    state.counters["per_element"] = benchmark::Counter(
        double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(ProfileToElements)->Arg(1000)->Unit(benchmark::kMillisecond);

// An element of the benchmark's type (its argument), holding dataSize bytes, labelled with its type.
std::unique_ptr<VkInterfaceElement> elementOfType(benchmark::State &state)
{
    const auto &[dataType, dataSize] = kTypes[size_t(state.range(0))];
    TSlaveProfile::Element profileElement;
    profileElement.dataType = TSlaveProfile::DataTypes(dataType);
    profileElement.dataSize = quint16(dataSize);
    auto element = std::make_unique<VkInterfaceElement>(profileElement);
    element->setValue(QByteArray(dataSize, '\x31'));
    state.SetLabel(E::dataTypeName(dataType).toStdString());
    return element;
}

void DecodeByType(benchmark::State &state)
{
    const std::unique_ptr<VkInterfaceElement> element = elementOfType(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(element->data());
}
BENCHMARK(DecodeByType)->DenseRange(0, int(kTypes.size()) - 1)->Unit(benchmark::kMicrosecond);

void EncodeByType(benchmark::State &state)
{
    quietLogs();
    const std::unique_ptr<VkInterfaceElement> element = elementOfType(state);
    const QVariant shown = element->data();
    for (auto _ : state)
        element->setData(shown);
}
BENCHMARK(EncodeByType)->DenseRange(0, int(kTypes.size()) - 1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
