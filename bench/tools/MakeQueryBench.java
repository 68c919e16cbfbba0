import com.healthmarketscience.jackcess.*;
import java.io.File;
import java.util.*;

// Writes a Jet 4 database with three tables and N saved queries of every
// kind, their MSysObjects and MSysQueries rows shaped as Access writes them
// (the queries have no property blobs, so no descriptions).
//
//   javac -cp jackcess.jar:commons-lang3.jar MakeQueryBench.java
//   java -cp .:jackcess.jar:commons-lang3.jar:commons-logging.jar \
//       MakeQueryBench queries2000.mdb 2000 && xz -9 queries2000.mdb
public class MakeQueryBench {
  static Table queries;
  static int id;
  static int order;

  static void row(int attribute, String expression, Integer flag, String name1, String name2) throws Exception {
    Map<String, Object> r = new HashMap<>();
    r.put("ObjectId", id);
    r.put("Attribute", (byte) attribute);
    r.put("Expression", expression);
    r.put("Flag", flag == null ? null : (short) (int) flag);
    r.put("Name1", name1);
    r.put("Name2", name2);
    ++order;
    r.put("Order", new byte[] {(byte) (order >> 24), (byte) (order >> 16), (byte) (order >> 8), (byte) order});
    queries.addRowFromMap(r);
  }

  public static void main(String[] args) throws Exception {
    File file = new File(args[0]);
    int count = Integer.parseInt(args[1]);
    file.delete();
    Database db = DatabaseBuilder.create(Database.FileFormat.V2000, file);
    for (String t : new String[] {"顧客", "注文", "商品"}) {
      new TableBuilder(t)
          .addColumn(new ColumnBuilder("ID", DataType.LONG))
          .addColumn(new ColumnBuilder("名前", DataType.TEXT).setLength(100))
          .addColumn(new ColumnBuilder("金額", DataType.MONEY))
          .toTable(db);
    }
    Table objects = db.getSystemTable("MSysObjects");
    queries = db.getSystemTable("MSysQueries");
    int tablesContainer = 0;
    int maxSynthetic = Integer.MIN_VALUE;
    for (Row r : objects) {
      if ("Tables".equals(r.getString("Name")) && r.getShort("Type") == 3) tablesContainer = r.getInt("Id");
      int rowId = r.getInt("Id");
      if (rowId < 0) maxSynthetic = Math.max(maxSynthetic, rowId);
    }
    id = maxSynthetic == Integer.MIN_VALUE ? 0x80000001 : maxSynthetic;
    int[] objectFlags = {0, 16, 32, 48, 64, 80, 96, 112, 128};
    int[] kinds = {1, 6, 5, 4, 3, 2, 7, 8, 9};
    Date now = new Date(1262304000000L);
    for (int i = 0; i < count; ++i) {
      ++id;
      int k = i % 9;
      Map<String, Object> o = new HashMap<>();
      o.put("Id", id);
      o.put("ParentId", tablesContainer);
      o.put("Name", String.format("クエリ%04d", i));
      o.put("Type", (short) 5);
      o.put("Flags", objectFlags[k]);
      o.put("DateCreate", now);
      o.put("DateUpdate", now);
      objects.addRowFromMap(o);

      row(0, null, 0, null, null);
      row(255, null, null, null, null);
      switch (kinds[k]) {
        case 7:
          row(1, "CREATE TABLE 一時" + i + " (ID LONG, 名前 TEXT(50));", 7, null, null);
          continue;
        case 8:
          row(1, "SELECT * FROM dbo.Orders WHERE id > " + i, 8, "ODBC;DSN=Sales;", null);
          continue;
        case 9:
          row(1, null, 9, null, null);
          row(3, null, 2, null, null);
          row(5, "SELECT 顧客.名前 FROM 顧客 WHERE 顧客.ID > " + i, null, null, "X7YZ_____1");
          row(5, "SELECT 商品.名前 FROM 商品", null, null, "X7YZ_____2");
          row(11, "名前", null, null, null);
          continue;
        default:
          break;
      }
      row(1, null, kinds[k], kinds[k] == 2 || kinds[k] == 3 ? "結果" + i : null, null);
      if (i % 7 == 0) row(2, null, 10, "[最小金額]", null);
      row(3, null, k == 0 ? 2 : 0, null, null);
      row(5, null, null, "顧客", null);
      row(5, null, null, "注文", null);
      row(5, null, null, "商品", "p");
      if (kinds[k] == 4) {
        row(6, "[注文].[金額]*1.1", 0, null, "顧客.金額");
      } else if (kinds[k] == 6) {
        row(6, "Sum(注文.金額)", 0, "合計", null);
        row(6, "顧客.名前", 2, null, null);
        row(6, "p.名前", 1, null, null);
        row(9, "顧客.名前", 2, null, null);
        row(9, "p.名前", 1, null, null);
      } else {
        row(6, "顧客.ID", 0, null, kinds[k] == 3 ? "ID" : null);
        row(6, "顧客.名前", 0, null, kinds[k] == 3 ? "名前" : null);
        row(6, "注文.金額", 0, "金額" + i, kinds[k] == 3 ? "金額" : null);
      }
      row(7, "顧客.ID = 注文.ID", 1, "顧客", "注文");
      row(7, "注文.ID = p.ID", 2, "注文", "p");
      row(8, "(((注文.金額)>" + i + "))", null, null, null);
      if (kinds[k] == 1) row(11, "顧客.名前", null, "D", null);
    }
    db.close();
  }
}
