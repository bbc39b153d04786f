// The dataset's side of blob streams: the base has none; it keeps the open
// ones so that a post stores what they wrote and a cancel or close drops it.
#include <algorithm>

#include "data/dataset.h"

namespace data {

std::unique_ptr<TDataSetBlobStream> TDataSet::CreateBlobStream(TField*, TBlobStreamMode) { return nullptr; }

core::Bytes TDataSet::GetBlobFieldData(int fieldNo)
{
    TField* field = FieldByNumber(fieldNo);
    if (!field)
        return {};
    std::unique_ptr<TDataSetBlobStream> stream = CreateBlobStream(field, TBlobStreamMode::bmRead);
    return stream ? stream->Data() : core::Bytes{};
}

void TDataSet::BlobStreamClosed(TDataSetBlobStream* stream)
{
    FBlobStreams.erase(std::remove(FBlobStreams.begin(), FBlobStreams.end(), stream), FBlobStreams.end());
}

void TDataSet::FlushBlobStreams()
{
    // A flush sends a field change, whose handlers may open or close streams.
    const std::vector<TDataSetBlobStream*> streams = FBlobStreams;
    for (TDataSetBlobStream* s : streams)
        if (std::find(FBlobStreams.begin(), FBlobStreams.end(), s) != FBlobStreams.end())
            s->Flush();
}

void TDataSet::DetachBlobStreams()
{
    const std::vector<TDataSetBlobStream*> streams = std::move(FBlobStreams);
    FBlobStreams.clear();
    for (TDataSetBlobStream* s : streams)
        s->Detach();
}

} // namespace data
