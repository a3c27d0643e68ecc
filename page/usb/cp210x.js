// Silicon Labs CP210x. Vendor requests to the interface; the chip passes no
// data until its interface is enabled, so that comes first, and it is
// disabled again on close.
const Cp210xInterfaceEnable = 0x00;
const Cp210xSetLineControl = 0x03;
const Cp210xSetModemHandshake = 0x07;
const Cp210xSetFlow = 0x13;
const Cp210xSetBaudRate = 0x1e;
const Cp210xUartEnable = 0x0001;
const Cp210xUartDisable = 0x0000;
// DTR and RTS on, each with its write-enable bit.
const Cp210xDtrRtsOn = 0x0303;
// No handshake: DTR and RTS held on, not driven by the flow control.
const Cp210xDtrActive = 0x01;
const Cp210xRtsActive = 0x40;
const Cp210xXonXoffLimit = 128;

// Stop bits in bits 0-3 (0 one, 2 two), parity in 4-7, data bits in 8-15.
function cp210xLineValue({ dataBits = 8, stopBits = 1, parity = "none" }) {
  const parityCode = { none: 0, odd: 1, even: 2 }[parity] ?? 0;
  return (dataBits << 8) | (parityCode << 4) | (stopBits === 2 ? 2 : 0);
}

function cp210xWords(...words) {
  const bytes = new Uint8Array(4 * words.length);
  const view = new DataView(bytes.buffer);
  words.forEach((word, i) => view.setUint32(4 * i, word, true));
  return bytes;
}

export const Cp210xDriver = {
  title: () => "CP210x",
  matches(device) {
    return device.vendorId === 0x10c4 && [0xea60, 0xea61, 0xea63, 0xea70, 0xea71].includes(device.productId);
  },
  async setup(usb, options) {
    const number = usb.interfaces()[0]?.interfaceNumber ?? 0;
    const ends = usb.bulk(number);
    await usb.claim(number);
    const request = (code, value, data) => usb.out("vendor", "interface", code, value, number, data);
    await request(Cp210xInterfaceEnable, Cp210xUartEnable);
    await request(Cp210xSetBaudRate, 0, cp210xWords(options.baudRate));
    await request(Cp210xSetLineControl, cp210xLineValue(options));
    await request(Cp210xSetFlow, 0, cp210xWords(Cp210xDtrActive, Cp210xRtsActive, Cp210xXonXoffLimit, Cp210xXonXoffLimit));
    await request(Cp210xSetModemHandshake, Cp210xDtrRtsOn);
    return { interfaces: [number], ...ends, stop: () => request(Cp210xInterfaceEnable, Cp210xUartDisable) };
  },
};
