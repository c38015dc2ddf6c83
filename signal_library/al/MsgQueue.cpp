#include "al/MsgQueue.h"

#include <cstdlib>
#include <cstring>

namespace al
{

namespace
{
void* systemAllocate (unsigned long bytes)
{
    return std::malloc (bytes);
}
void systemRelease (void* p)
{
    std::free (p);
}
} // namespace

MsgQueue::MsgQueue (int size, void* (*allocate_) (unsigned long), void (*release_) (void*))
    : allocate (allocate_ != nullptr ? allocate_ : systemAllocate),
      release (release_ != nullptr ? release_ : systemRelease)
{
    for (int i = 0; i <= size; ++i)
    {
        auto* node = static_cast<Message*> (allocate (sizeof (Message)));
        std::memset (node, 0, sizeof (Message));
        node->next = pool;
        pool = node;
    }
}

MsgQueue::~MsgQueue()
{
    while (pending != nullptr)
    {
        Message* node = pending;
        pending = node->next;
        if (node->size > inlineBytes)
            release (node->data());
        release (node);
    }
    while (pool != nullptr)
    {
        Message* node = pool;
        pool = node->next;
        release (node);
    }
}

void MsgQueue::update (double time, bool)
{
    while (pending != nullptr && time >= pending->time)
    {
        Message* node = pending;
        pending = node->next;
        if (pending == nullptr)
            tail = nullptr;
        if (node->time > now)
            now = node->time;

        char* args = node->data();
        if (node->func != nullptr)
            node->func (args);

        node->next = pool;
        pool = node;
        if (node->size > inlineBytes)
            release (args);
        --pendingCount;
    }
    now = time;
}

} // namespace al
