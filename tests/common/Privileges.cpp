// Drops the file-permission override capabilities from the effective set for a while.
#include "Privileges.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
bool getCaps(__user_cap_data_struct *data)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool setCaps(__user_cap_data_struct *data)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}
} // namespace

WithoutFileAccessOverride::WithoutFileAccessOverride()
{
    __user_cap_data_struct data[2] = {};
    if (!getCaps(data))
        return;
    savedEffective[0] = data[0].effective;
    savedEffective[1] = data[1].effective;
    data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    changed = setCaps(data);
}

WithoutFileAccessOverride::~WithoutFileAccessOverride()
{
    __user_cap_data_struct data[2] = {};
    if (!changed || !getCaps(data))
        return;
    data[0].effective = savedEffective[0];
    data[1].effective = savedEffective[1];
    setCaps(data);
}
