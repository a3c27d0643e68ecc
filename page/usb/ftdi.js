// FTDI FT232R, FT231X (FT-X) and FT232H, one channel. Vendor requests to
// the device set the line; the rate is a divisor of the chip's clock with a
// fraction in eighths. Every IN packet starts with two modem-status bytes.
const FtdiReset = 0x00;
const FtdiModemControl = 0x01;
const FtdiSetFlowControl = 0x02;
const FtdiSetBaudRate = 0x03;
const FtdiSetData = 0x04;
const FtdiSetLatency = 0x09;
// DTR and RTS high, each with its write-enable bit.
const FtdiDtrRtsHigh = 0x0303;
// Replies come within 2 ms instead of the chip's default 16.
const FtdiLatencyMs = 2;
// The fraction's eighths as the chip encodes them.
const FtdiEighths = [0, 3, 2, 4, 1, 5, 6, 7];

// The chips by bcdDevice: whether the 120 MHz clock is used, and the
// channel number the requests carry (0 on the FT232R).
const FtdiChips = new Map([
  [0x0600, { title: "FTDI FT232R", highSpeed: false, channel: 0 }],
  [0x0900, { title: "FTDI FT232H", highSpeed: true, channel: 1 }],
  [0x1000, { title: "FTDI FT-X", highSpeed: false, channel: 1 }],
]);

function ftdiBcd(device) {
  return (device.deviceVersionMajor << 8) | (device.deviceVersionMinor << 4) | device.deviceVersionSubminor;
}

function ftdiPack(eighths) {
  let divisor = (eighths >> 3) | (FtdiEighths[eighths & 7] << 14);
  // Rates of the undivided clock have codes of their own.
  if (divisor === 1) divisor = 0;
  else if (divisor === 0x4001) divisor = 1;
  return divisor;
}

// The 32-bit divisor for a rate: 3 MHz base on the FT232R and FT-X; on
// the FT232H 12 MHz (the divide by 2.5 switched off) from 1200 baud up.
export function ftdiDivisor(baudRate, highSpeed) {
  if (highSpeed && baudRate >= 1200) return ftdiPack(Math.round((8 * 120e6) / (10 * baudRate))) | 0x20000;
  return ftdiPack(Math.round(48e6 / (2 * baudRate)));
}

// The divisor as the request's value and index.
export function ftdiRateRequest(baudRate, chip) {
  const divisor = ftdiDivisor(baudRate, chip.highSpeed);
  const high = divisor >>> 16;
  return { value: divisor & 0xffff, index: chip.channel ? (high << 8) | chip.channel : high };
}

// Data bits, parity (0 none, 1 odd, 2 even) from bit 8, stop bits (0 one,
// 2 two) from bit 11.
function ftdiDataValue({ dataBits = 8, stopBits = 1, parity = "none" }) {
  const parityCode = { none: 0, odd: 1, even: 2 }[parity] ?? 0;
  return dataBits | (parityCode << 8) | ((stopBits === 2 ? 2 : 0) << 11);
}

// Drops the two status bytes at the start of every packet of a transfer;
// a packet of only those carries no data.
export function ftdiUnpack(raw, packetSize) {
  const out = [];
  for (let at = 0; at < raw.length; at += packetSize) {
    for (let i = at + 2; i < Math.min(at + packetSize, raw.length); i++) out.push(raw[i]);
  }
  return Uint8Array.from(out);
}

export const FtdiDriver = {
  title: (device) => FtdiChips.get(ftdiBcd(device))?.title ?? "FTDI",
  matches(device) {
    return device.vendorId === 0x0403 && FtdiChips.has(ftdiBcd(device));
  },
  async setup(usb, options) {
    const chip = FtdiChips.get(ftdiBcd(usb.device));
    const number = usb.interfaces()[0]?.interfaceNumber ?? 0;
    const ends = usb.bulk(number);
    await usb.claim(number);
    const vendor = (request, value, index = chip.channel) => usb.out("vendor", "device", request, value, index);
    await vendor(FtdiReset, 0);
    const rate = ftdiRateRequest(options.baudRate, chip);
    await vendor(FtdiSetBaudRate, rate.value, rate.index);
    await vendor(FtdiSetData, ftdiDataValue(options));
    await vendor(FtdiSetFlowControl, 0);
    await vendor(FtdiSetLatency, FtdiLatencyMs);
    await vendor(FtdiModemControl, FtdiDtrRtsHigh);
    return { interfaces: [number], ...ends, unpack: ftdiUnpack };
  },
};
