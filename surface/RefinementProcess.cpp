#include "surface/RefinementProcess.h"

#include "interact/InputEventStream.h"

namespace vynui {

CRefinementProcess::CRefinementProcess(CInputEventStream* stream, std::chrono::milliseconds interval)
    : CBackgroundProcess(interval), m_stream(stream)
{
}

CRefinementProcess::~CRefinementProcess()
{
    Stop();
}

void CRefinementProcess::OnIdle()
{
    if (!m_stream) return;
    // IsIdle takes the stream's lock briefly; nothing else is held here.
    m_idle = m_stream->IsIdle();
    ++m_samples;
}

}  // namespace vynui
