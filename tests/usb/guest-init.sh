#!/bin/busybox sh
# The guest's /init: brings up the USB gadget and HID stack, runs /kt7/case.sh,
# sends every file the case left in /out over the console, prints the result
# marker and powers off.
/bin/busybox --install -s /bin
export PATH=/bin:/kt7
mkdir -p /proc /sys /dev /tmp /out
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
# Kernel messages would interleave with the file transfer below.
dmesg -n 1
uptime_s() { cut -d' ' -f1 /proc/uptime; }
echo "KT7-GUEST: init at $(uptime_s) s"

devices=$(cat /kt7/device-count 2>/dev/null || echo 1)
for m in $(cat /lib/modules/order); do
    case $m in
        dummy_hcd) insmod /lib/modules/$m.ko num=$devices ;;
        *) insmod /lib/modules/$m.ko ;;
    esac || echo "KT7-GUEST: insmod $m failed"
done
mount -t configfs none /sys/kernel/config
echo "KT7-GUEST: modules loaded at $(uptime_s) s"

cd /kt7
sh /kt7/case.sh
status=$?

for f in /out/*; do
    [ -f "$f" ] || continue
    echo "KT7-FILE-BEGIN ${f##*/}"
    gzip -c "$f" | base64
    echo "KT7-FILE-END"
done
echo "KT7-RESULT $status"
sync
poweroff -f
